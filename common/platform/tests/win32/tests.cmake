# The Win32 side of the contract tests, for the MinGW build run under Wine.
# Included from ../CMakeLists.txt.

# Wine takes a netapi32.dll of ours only from the program's folder and only
# with netapi32=n; winedbg.exe=d keeps a crash from starting the debugger.
set(quillon_standin_dlls "WINEDLLOVERRIDES=netapi32=n\\;winedbg.exe=d")

function(quillon_fake_netapi target folder)
    add_library(${target} MODULE ${ARGN})
    set_target_properties(${target} PROPERTIES
        PREFIX ""
        OUTPUT_NAME netapi32
        LIBRARY_OUTPUT_DIRECTORY ${folder})
endfunction()

set(quillon_test_bin ${CMAKE_BINARY_DIR}/bin)
quillon_fake_netapi(fake_netapi32 ${quillon_test_bin}
    win32/fake_netapi32.c win32/fake_netapi32.def)
quillon_fake_netapi(netapi32_without_send ${quillon_test_bin}/without-send
    win32/netapi32_without_send.c win32/netapi32_without_send.def)

set(quillon_contract_sources
    platform_contract_test.cpp
    platform_files_test.cpp
    platform_start_test.cpp
    win32/netapi_handover_test.cpp)
add_executable(platform_contract_test
    ${quillon_contract_sources}
    win32/probe_win32.cpp
    win32/fakenetapi.cpp)
target_link_libraries(platform_contract_test PRIVATE quillon_platform GTest::gtest_main quillon_rows)
set_target_properties(platform_contract_test PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${quillon_test_bin})
add_dependencies(platform_contract_test fake_netapi32 platform_start_child)
set_target_properties(platform_start_child PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${quillon_test_bin})

# One Wine process per test (per table for parameterised ones), so that a
# skipped case shows as skipped.
gtest_add_tests(TARGET platform_contract_test
    SOURCES ${quillon_contract_sources}
    TEST_PREFIX "platform."
    TEST_LIST quillon_contract_tests)
set_tests_properties(${quillon_contract_tests} PROPERTIES
    ENVIRONMENT "${quillon_standin_dlls}"
    SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
    TIMEOUT 60)

add_executable(platform_unbound_test win32/unbound_service_test.cpp)
target_link_libraries(platform_unbound_test PRIVATE quillon_platform GTest::gtest_main quillon_rows)
set_target_properties(platform_unbound_test PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${quillon_test_bin}/without-send)
add_dependencies(platform_unbound_test netapi32_without_send)

add_test(NAME platform.unbound.EntryPointMissing
    COMMAND platform_unbound_test --gtest_filter=UnboundServiceTest.EntryPointMissing)
set_tests_properties(platform.unbound.EntryPointMissing PROPERTIES
    ENVIRONMENT "${quillon_standin_dlls}")
# An empty load order disables a DLL: LoadLibrary fails.
add_test(NAME platform.unbound.LibraryMissing
    COMMAND platform_unbound_test --gtest_filter=UnboundServiceTest.LibraryMissing)
set_tests_properties(platform.unbound.LibraryMissing PROPERTIES
    ENVIRONMENT "WINEDLLOVERRIDES=netapi32,winedbg.exe=")
set_tests_properties(platform.unbound.EntryPointMissing platform.unbound.LibraryMissing PROPERTIES
    SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
    TIMEOUT 60)

# The event log through a stand-in advapi32.dll, in a folder of its own: the
# other tests keep Wine's.
set(quillon_eventlog_bin ${quillon_test_bin}/eventlog)
add_library(fake_advapi32 MODULE win32/fake_advapi32.c win32/fake_advapi32.def)
set_target_properties(fake_advapi32 PROPERTIES
    PREFIX ""
    OUTPUT_NAME advapi32
    LIBRARY_OUTPUT_DIRECTORY ${quillon_eventlog_bin})
add_executable(platform_eventlog_test win32/eventlog_report_test.cpp)
target_link_libraries(platform_eventlog_test PRIVATE quillon_platform GTest::gtest_main quillon_rows)
set_target_properties(platform_eventlog_test PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${quillon_eventlog_bin})
add_dependencies(platform_eventlog_test fake_advapi32)
gtest_add_tests(TARGET platform_eventlog_test
    SOURCES win32/eventlog_report_test.cpp
    TEST_PREFIX "platform."
    TEST_LIST quillon_eventlog_tests)
set_tests_properties(${quillon_eventlog_tests} PROPERTIES
    ENVIRONMENT "WINEDLLOVERRIDES=advapi32=n\\;winedbg.exe=d"
    SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
    TIMEOUT 60)

# netapi32 is bound at the first send; an import of it would make the
# programs fail to start where it is missing.
add_test(NAME platform.win32.NoNetapi32Import
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP}
        -DPROGRAM=$<TARGET_FILE:platform_contract_test>
        -P ${CMAKE_CURRENT_SOURCE_DIR}/win32/check_imports.cmake)
