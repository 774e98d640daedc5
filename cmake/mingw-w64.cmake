# Cross-builds the standard-C++ core and its tests for 64-bit Windows with Debian's MinGW-w64
# (g++-mingw-w64-x86-64); the tests run under Wine when it is there: cmake --preset windows-core
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The posix thread model: GCC 12's win32 one has no std::thread.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Self-contained programs: no MinGW runtime DLLs to be found when they run.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
find_program(QARLO_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(QARLO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QARLO_WINE})
endif()
