# orvo_add_test_suite(NAME
#                     FRAMEWORK GTEST | GTEST_GUI | QTEST
#                     SOURCES file...
#                     [LIBRARIES target...]
#                     [DEFINITIONS NAME=VALUE...]
#                     [LABELS label...])
#
# Makes the test program NAME from SOURCES and runs it as the test NAME, linked with LIBRARIES,
# the shared test helpers (tests/common) and the warnings. The framework says how it runs:
#   GTEST      GoogleTest with its own main; no application, no platform chosen.
#   GTEST_GUI  GoogleTest inside a QGuiApplication, for fonts and painting.
#   QTEST      a Qt Test program of widgets (moc on), with its own main.
# GTEST_GUI and QTEST suites run on the offscreen platform, so that they need no display. LABELS
# name the area the suite tests (kestrum, gui, widgets, orvo, tools), for `ctest -L`.
function(orvo_add_test_suite name)
    cmake_parse_arguments(PARSE_ARGV 1 SUITE "" "FRAMEWORK" "SOURCES;LIBRARIES;DEFINITIONS;LABELS")
    if(SUITE_UNPARSED_ARGUMENTS OR NOT SUITE_SOURCES)
        message(FATAL_ERROR "orvo_add_test_suite(${name}): unknown arguments "
                            "'${SUITE_UNPARSED_ARGUMENTS}' or no SOURCES")
    endif()

    add_executable(${name} ${SUITE_SOURCES})
    target_link_libraries(${name} PRIVATE ${SUITE_LIBRARIES} test_common orvo_warnings)
    target_compile_definitions(${name} PRIVATE ${SUITE_DEFINITIONS})
    if(SUITE_FRAMEWORK STREQUAL "GTEST")
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    elseif(SUITE_FRAMEWORK STREQUAL "GTEST_GUI")
        target_link_libraries(${name} PRIVATE gui_test_main test_common_gui GTest::gtest)
    elseif(SUITE_FRAMEWORK STREQUAL "QTEST")
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        target_link_libraries(${name} PRIVATE test_common_gui test_common_widgets Qt6::Test)
    else()
        message(FATAL_ERROR "orvo_add_test_suite(${name}): FRAMEWORK is GTEST, GTEST_GUI or "
                            "QTEST, not '${SUITE_FRAMEWORK}'")
    endif()

    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${SUITE_LABELS}")
    if(NOT SUITE_FRAMEWORK STREQUAL "GTEST")
        set_tests_properties(${name} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    endif()
endfunction()
