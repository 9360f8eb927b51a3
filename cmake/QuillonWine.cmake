# Tests of the MinGW build, run under Wine (CMAKE_CROSSCOMPILING_EMULATOR).

# Wine takes a netapi32.dll of ours only from the program's folder and only
# with netapi32=n; winedbg.exe=d keeps a crash from starting the debugger.
set(quillon_standin_dlls "WINEDLLOVERRIDES=netapi32=n\\;winedbg.exe=d")

# quillon_add_wine_test(NAME TARGET [ARGS ...] [ENVIRONMENT ...])
# One GoogleTest program in one Wine process: starting Wine costs more than
# most cases take.  A program whose every case skips shows as skipped.
function(quillon_add_wine_test name target)
    cmake_parse_arguments(ARG "" "" "ARGS;ENVIRONMENT" ${ARGN})
    add_test(NAME ${name} COMMAND ${target} ${ARG_ARGS})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${quillon_standin_dlls};${ARG_ENVIRONMENT}"
        SKIP_REGULAR_EXPRESSION "\\[  PASSED  \\] 0 tests"
        TIMEOUT 120)
endfunction()
