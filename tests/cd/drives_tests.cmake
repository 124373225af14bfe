# Drive list, config.dat, discs.txt and the drive dialog.
verselet_add_test(tst_driveconfig SOURCES tst_driveconfig.cpp)
# The demo disc's place in the build tree, to tell where it was found.
target_compile_definitions(tst_driveconfig PRIVATE
    VERSELET_BUILD_DATA_DIR="${CMAKE_BINARY_DIR}/data")
verselet_add_test(tst_drivedialog UI SOURCES tst_drivedialog.cpp)
# calibration.dat, the click track and the arithmetic of the user's lag; the
# calibration window.
verselet_add_test(tst_calibration SOURCES tst_calibration.cpp)
verselet_add_test(tst_calibrationwindow UI SOURCES tst_calibrationwindow.cpp)
