# GoogleTest for the suites written in plain C++: Debian's package natively;
# in the MinGW build, Debian's sources built for the target.  Sets
# QUILLON_GTEST_FOUND; the imported targets of find_package are local to the
# including folder, so every folder that needs them includes this file.
if(WIN32)
    if(NOT TARGET gtest_main)
        set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    endif()
    set(QUILLON_GTEST_FOUND TRUE)
else()
    find_package(GTest)
    set(QUILLON_GTEST_FOUND ${GTest_FOUND})
    if(NOT GTest_FOUND)
        message(WARNING "GoogleTest not found (Debian: libgtest-dev): no tests in ${CMAKE_CURRENT_SOURCE_DIR}")
    endif()
endif()
include(GoogleTest)
