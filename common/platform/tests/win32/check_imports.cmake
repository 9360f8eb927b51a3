# cmake -DOBJDUMP=... -DPROGRAM=... [-DALLOWED=a.dll,b.dll] -P check_imports.cmake
# Fails when PROGRAM imports netapi32, or anything beyond the system's own
# KERNEL32 and msvcrt (the runtime is linked in) and the DLLs in ALLOWED.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
    OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(TRANSFORM imports TOLOWER)
message(STATUS "imports: ${imports}")
string(TOLOWER "${ALLOWED}" allowed)
string(REPLACE "," ";" allowed "${allowed}")
list(REMOVE_ITEM imports kernel32.dll msvcrt.dll ${allowed})
if(imports)
    message(FATAL_ERROR "unexpected imports: ${imports}")
endif()
