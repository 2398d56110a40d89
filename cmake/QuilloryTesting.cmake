# Every case runs under `timeout` in a process group of its own, which it ends whole when the
# case overruns: CTest's own TIMEOUT kills only the process it started, and then waits for as
# long as any child of it (a started program, an X server) keeps the output open.
set(QUILLORY_TEST_GRACE 5)
function(quillory_limit_time target seconds)
    math(EXPR backstop "${seconds} + ${QUILLORY_TEST_GRACE} * 2")
    set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
        "timeout;--kill-after=${QUILLORY_TEST_GRACE};${seconds};${ARGN}")
    set(QUILLORY_TEST_TIMEOUT ${backstop} PARENT_SCOPE)
endfunction()

# quillory_add_test(<name> SOURCES ... LIBRARIES ... [GUI] [PLATFORM <qpa>])
# One GoogleTest program; every case becomes its own CTest test, so each runs in a
# fresh process with its own temporary XDG folders (see tests/support/TestMain.cpp). PLATFORM
# replaces the plain offscreen platform, to give it other screens.
function(quillory_add_test name)
    cmake_parse_arguments(ARG "GUI" "PLATFORM" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    quillory_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} quillory_test_support GTest::gmock)
    if(ARG_PLATFORM)
        # Built into the program too, so that it finds its platform when run by hand.
        add_library(${name}_main OBJECT ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
        target_compile_definitions(${name}_main PRIVATE
            "QUILLORY_TEST_PLATFORM=\"${ARG_PLATFORM}\"" $<$<BOOL:${ARG_GUI}>:QUILLORY_TEST_GUI>)
        target_link_libraries(${name}_main PUBLIC Qt6::Widgets GTest::gmock)
        quillory_target_defaults(${name}_main)
        target_link_libraries(${name} PRIVATE ${name}_main)
    else()
        set(ARG_PLATFORM offscreen)
        if(ARG_GUI)
            target_link_libraries(${name} PRIVATE quillory_test_main_gui)
        else()
            target_link_libraries(${name} PRIVATE quillory_test_main_core)
        endif()
    endif()
    quillory_limit_time(${name} 60)
    # One variable only: a list here would be split into the pairs of names and values.
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=${ARG_PLATFORM} TIMEOUT ${QUILLORY_TEST_TIMEOUT})
endfunction()

# quillory_add_x11_test(<name> SOURCES ... LIBRARIES ...)
# Like quillory_add_test, but every case runs under its own Xvfb server. The cases share
# nothing, so they need no RESOURCE_LOCK: key grabs, the clipboard and the focus belong to a
# case's own server, and the programs it starts live in its own temporary home.
function(quillory_add_x11_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    quillory_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} quillory_test_support
                                          quillory_test_main_gui GTest::gmock)
    # CMake runs the emulator for listing the cases and for each case alike.
    quillory_limit_time(${name} 120 ${PROJECT_SOURCE_DIR}/tests/x11/with-xvfb)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=xcb TIMEOUT ${QUILLORY_TEST_TIMEOUT} LABELS x11)
endfunction()
