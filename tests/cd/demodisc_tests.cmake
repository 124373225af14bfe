# The bundled demo disc: the image the build makes, its lyrics files, and the
# generator run on lyrics of the test's own.
verselet_add_test(tst_demodisc SOURCES tst_demodisc.cpp)
add_dependencies(tst_demodisc demo_disc)
target_compile_definitions(tst_demodisc PRIVATE
    DEMO_DIR="${CMAKE_BINARY_DIR}/data/demo"
    MAKE_DEMO_DISC="$<TARGET_FILE:make_demo_disc>"
)
