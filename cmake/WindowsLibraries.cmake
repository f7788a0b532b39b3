# What both Windows trees link: the core with its cross-built libjpeg, and
# the Win32 implementations of the system and the GUI runtime.
# libjpeg, cross-built from Debian's source package by scripts/build-libjpeg-i686.
set(JPEG_I686 ${CMAKE_SOURCE_DIR}/build/deps/libjpeg-i686)
if(NOT EXISTS ${JPEG_I686}/lib/libjpeg.a)
  message(FATAL_ERROR "libjpeg for i686 is missing: run scripts/setup")
endif()
add_library(jpeg_i686 STATIC IMPORTED)
set_target_properties(jpeg_i686 PROPERTIES
  IMPORTED_LOCATION ${JPEG_I686}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${JPEG_I686}/include)
target_link_libraries(quorvel_gui PUBLIC jpeg_i686)

# The system interface on the real system, below the subsystems.
add_library(quorvel_platform_win32 STATIC src/platform/win32/win32_os.cpp)
target_link_libraries(quorvel_platform_win32 PUBLIC quorvel_platform)

# The Win32 GUI backend, beside the runtime it serves.
add_library(quorvel_gui_win32 STATIC
  src/gui/win32/custom_peers.cpp
  src/gui/win32/message_dialog.cpp
  src/gui/win32/peer_factory.cpp
  src/gui/win32/peers.cpp
  src/gui/win32/standard_peers.cpp
  src/gui/win32/win32_backend.cpp
  src/gui/win32/window_classes.cpp
)
# It shares the system interface's Win32 glue (platform/win32/win32_glue.h).
target_link_libraries(quorvel_gui_win32 PUBLIC quorvel_gui quorvel_platform comctl32 ole32 oleaut32 uuid shell32)

