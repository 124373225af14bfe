# Drive list, config.dat, discs.txt, calibration.dat, the drive dialog and the
# calibration window it opens.
target_sources(verselet_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/drivelist.h ${CMAKE_CURRENT_LIST_DIR}/drivelist.cpp
    ${CMAKE_CURRENT_LIST_DIR}/driveconfig.h ${CMAKE_CURRENT_LIST_DIR}/driveconfig.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calibration.h ${CMAKE_CURRENT_LIST_DIR}/calibration.cpp
)
target_sources(verselet_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/drivedialog.h ${CMAKE_CURRENT_LIST_DIR}/drivedialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/calibrationwindow.h ${CMAKE_CURRENT_LIST_DIR}/calibrationwindow.cpp
)
# The demo disc the build makes, found from tests and tools that run in
# subfolders of the build tree.
target_compile_definitions(verselet_core PRIVATE
    VERSELET_BUILD_DIR="${CMAKE_BINARY_DIR}"
)
