# Warnings.  The programs' own code builds free of the strict set below; the
# tests keep -Wall -Wextra (GoogleTest's macros shadow, and tests build their
# strings from literals).  CI turns every warning into an error.

option(QUILLON_WERROR "Treat every compiler warning as an error" OFF)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-Wall -Wextra)
    if(QUILLON_WERROR)
        add_compile_options(-Werror)
    endif()
endif()

# quillon_strict(TARGET...): the product code's stricter warnings, and no
# implicit conversion from 8-bit strings to QString (whose encoding such a
# conversion would guess).
function(quillon_strict)
    foreach(target ${ARGN})
        if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
            target_compile_options(${target} PRIVATE -Wpedantic -Wshadow -Wconversion)
        endif()
        target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII)
    endforeach()
endfunction()
