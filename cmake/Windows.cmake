# i686 Windows builds. Everything is linked statically so it needs no MinGW
# DLL, with subsystem version 4.0 so the loaders of Windows 95 and NT 4 accept
# it. One build tree holds one compiler pair (see the toolchain file):
#   win32 thread model -> Quorvel.exe and QuorvelSetup.exe   (build/win32)
#   posix thread model -> quorvel_e2e.exe                    (build/win32-e2e)
set(QUORVEL_WIN_LINK -static -static-libgcc -static-libstdc++ -s
  -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
  -Wl,--major-os-version,4 -Wl,--minor-os-version,0)

if(QUORVEL_THREAD_MODEL STREQUAL "win32")
  include(cmake/WindowsProgram.cmake)
elseif(QUORVEL_THREAD_MODEL STREQUAL "posix")
  include(cmake/WindowsE2e.cmake)
else()
  message(FATAL_ERROR "QUORVEL_THREAD_MODEL must be win32 or posix, not '${QUORVEL_THREAD_MODEL}'")
endif()
