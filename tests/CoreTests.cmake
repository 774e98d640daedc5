# The standard-C++ core's tests as one program, for a build without Qt such as the Windows one.
# A cross build takes GoogleTest from Debian's sources, built by the same compiler.
if(CMAKE_CROSSCOMPILING)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)
else()
  find_package(GTest REQUIRED)
endif()
set(T ${CMAKE_CURRENT_LIST_DIR})
add_executable(test_core
  ${T}/platform/PlatformFileTest.cpp ${T}/memory/DocumentTest.cpp ${T}/memory/CodeTablesTest.cpp
  ${T}/memory/UnitsTest.cpp ${T}/memory/DiffTest.cpp ${T}/csv/CsvFormatTest.cpp
  ${T}/csv/CsvImportTest.cpp)
target_include_directories(test_core PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(test_core PRIVATE qarlo_memory GTest::gtest_main)
add_test(NAME test_core COMMAND test_core)
