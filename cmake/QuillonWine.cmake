# Tests of the MinGW build, run under Wine (CMAKE_CROSSCOMPILING_EMULATOR).

# Wine takes a netapi32.dll of ours only from the program's folder and only
# with netapi32=n; winedbg.exe=d keeps a crash from starting the debugger.
set(quillon_standin_dlls "WINEDLLOVERRIDES=netapi32=n\\;winedbg.exe=d")

# quillon_add_wine_test(NAME TARGET [ARGS ...] [ENVIRONMENT ...])
# One GoogleTest program in one Wine process: starting Wine costs more than
# most cases take.  The program links quillon_wine_gtest_main, which answers
# 77 when every case skipped: ctest then reports it skipped.  These
# programs open windows, and all Wine processes share one desktop: windows of
# two of them at once take the focus from each other, so they run one at a
# time (the windowless tests run beside them).
function(quillon_add_wine_test name target)
    cmake_parse_arguments(ARG "" "" "ARGS;ENVIRONMENT" ${ARGN})
    add_test(NAME ${name} COMMAND ${target} ${ARG_ARGS})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${quillon_standin_dlls};${ARG_ENVIRONMENT}"
        SKIP_RETURN_CODE 77
        RESOURCE_LOCK wine_desktop
        TIMEOUT 120)
endfunction()
