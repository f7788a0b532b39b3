# Cross toolchain for the Windows builds: 32-bit x86, MinGW-w64.
#
# QUORVEL_THREAD_MODEL picks the compiler pair. The shipped program uses the
# win32 thread model: the posix one pulls in winpthreads, whose static code
# imports kernel32 functions that Windows 95 and NT 4.0 do not have, and the
# loader refuses such an exe outright. GoogleTest builds only with the posix
# pair, so the end-to-end test program has a build tree of its own.
if(NOT QUORVEL_THREAD_MODEL)
  set(QUORVEL_THREAD_MODEL win32)
endif()
set(QUORVEL_THREAD_MODEL ${QUORVEL_THREAD_MODEL} CACHE STRING "MinGW-w64 thread model: win32 (program) or posix (e2e tests)")
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${QUORVEL_THREAD_MODEL})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${QUORVEL_THREAD_MODEL})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
