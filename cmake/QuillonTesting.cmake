# quillon_add_qtest(NAME SOURCES... LIBS ...)
# One Qt Test executable per unit, run on the offscreen platform so that no
# display is needed.  A test that calls QSKIP for all of its cases (the
# end-to-end tests without root, for instance) is reported as skipped.
function(quillon_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENVIRONMENT;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SMB_CONF_PATH=${PROJECT_SOURCE_DIR}/cmake/smbclient-test.conf;${ARG_ENVIRONMENT}"
        SKIP_REGULAR_EXPRESSION "SKIP   : [^\n]*initTestCase\\(\\)"
        TIMEOUT 120)
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
