# quillory_add_test(<name> SOURCES ... LIBRARIES ... [GUI])
# One GoogleTest program; every case becomes its own CTest test, so each runs in a
# fresh process with its own temporary XDG folders (see tests/support/TestMain.cpp).
function(quillory_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    quillory_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} quillory_test_support GTest::gmock)
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE quillory_test_main_gui)
    else()
        target_link_libraries(${name} PRIVATE quillory_test_main_core)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_FORCE_STDERR_LOGGING=1"
                   TIMEOUT 60)
endfunction()

# quillory_add_x11_test(<name> SOURCES ... LIBRARIES ...)
# Like quillory_add_test, but every case runs under its own Xvfb server.
function(quillory_add_x11_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    quillory_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} quillory_test_support
                                          quillory_test_main_gui GTest::gmock)
    # CMake runs the emulator for listing the cases and for each case alike.
    set_target_properties(${name} PROPERTIES
        CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/x11/with-xvfb)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=xcb;QT_FORCE_STDERR_LOGGING=1"
                   TIMEOUT 120 LABELS x11)
endfunction()
