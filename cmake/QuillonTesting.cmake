# quillon_add_qtest(NAME SOURCES... LIBS ... [ENVIRONMENT ...] [LABELS ...])
# One Qt Test executable per unit, run on the offscreen platform so that no
# display is needed.  A test that calls QSKIP for all of its cases (the
# end-to-end tests without root, for instance) is reported as skipped.
function(quillon_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENVIRONMENT;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    quillon_add_qtest_run(${name} ${name} ENVIRONMENT ${ARG_ENVIRONMENT} LABELS ${ARG_LABELS})
endfunction()

# quillon_add_qtest_run(TEST EXECUTABLE [ENVIRONMENT ...] [LABELS ...])
# One run of a Qt Test executable as a test of its own, for instance the same
# executable once more with other settings in its environment.
function(quillon_add_qtest_run test executable)
    cmake_parse_arguments(ARG "" "" "ENVIRONMENT;LABELS" ${ARGN})
    add_test(NAME ${test} COMMAND ${executable})
    set_tests_properties(${test} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SMB_CONF_PATH=${PROJECT_SOURCE_DIR}/cmake/smbclient-test.conf;${ARG_ENVIRONMENT}"
        SKIP_REGULAR_EXPRESSION "SKIP   : [^\n]*initTestCase\\(\\)"
        TIMEOUT 120)
    if(ARG_LABELS)
        set_tests_properties(${test} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
