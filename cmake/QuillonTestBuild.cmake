# quillon_unoptimised_tests(): compiles every target of the test folders
# (tests/, e2e/, contract/, testsupport/ and what lies below them) without
# optimisation.  The test programs then build in about half the time; what
# they test, the product code in its libraries, is still compiled as it
# ships.  In a sanitizer build they are also compiled without the
# sanitizers' checks (the runtime is still linked in): every report is then
# about the product's code, which stays checked, and the test programs build
# in half the time again.  Call it once, after every folder has been added.
function(quillon_unoptimised_tests)
    set(folders ${PROJECT_SOURCE_DIR})
    while(folders)
        list(POP_FRONT folders folder)
        get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
        list(APPEND folders ${subfolders})
        file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${folder})
        if(NOT relative MATCHES "(^|/)(tests|e2e|contract|testsupport)(/|$)")
            continue()
        endif()
        get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target ${targets})
            get_target_property(type ${target} TYPE)
            if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|OBJECT_LIBRARY)$")
                target_compile_options(${target} PRIVATE -O0
                    $<$<BOOL:${QUILLON_SANITIZE}>:-fno-sanitize=all>)
            endif()
        endforeach()
    endwhile()
endfunction()
