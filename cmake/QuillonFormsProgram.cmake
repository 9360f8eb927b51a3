# quillon_forms_program(TARGET CORE NAME): the program TARGET of the calling
# folder, whose forms live in the library CORE, on the toolkit of the
# platform: on Windows one static .exe from main_win32.cpp and TARGET.rc; on
# Linux a Qt program from main_qt.cpp and NAME.qrc, installed with its
# desktop files.  Adds the folder's tests for the same toolkit.
function(quillon_forms_program target core name)
    if(WIN32)
        add_executable(${target} WIN32 main_win32.cpp ${target}.rc)
        target_link_libraries(${target} PRIVATE ${core} quillon_forms_win32)
    else()
        add_executable(${target} main_qt.cpp ${name}.qrc)
        set_target_properties(${target} PROPERTIES AUTORCC ON)
        target_link_libraries(${target} PRIVATE ${core} quillon_forms_qt)
        quillon_install_program(${target} ${name})
    endif()

    quillon_strict(${core} ${target})

    if(BUILD_TESTING)
        if(WIN32)
            add_subdirectory(tests/win32)
        else()
            add_subdirectory(tests)
        endif()
    endif()
endfunction()
