# i686 Windows build: Quorvel.exe and the end-to-end test program.
# Both are linked statically so they need no MinGW DLL, with subsystem
# version 4.0 so the loaders of Windows 95 and NT 4 accept them.
enable_language(RC)

set(QUORVEL_WIN_LINK -static -static-libgcc -static-libstdc++ -s
  -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
  -Wl,--major-os-version,4 -Wl,--minor-os-version,0)

# libjpeg, cross-built from Debian's source package by scripts/build-libjpeg-i686.
set(JPEG_I686 ${CMAKE_SOURCE_DIR}/build/deps/libjpeg-i686)
if(NOT EXISTS ${JPEG_I686}/lib/libjpeg.a)
  message(FATAL_ERROR "libjpeg for i686 is missing: run scripts/setup")
endif()
add_library(jpeg_i686 STATIC IMPORTED)
set_target_properties(jpeg_i686 PROPERTIES
  IMPORTED_LOCATION ${JPEG_I686}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${JPEG_I686}/include)
target_link_libraries(quorvel_core PUBLIC jpeg_i686)

add_library(quorvel_win32 STATIC
  src/platform/win32/win32_os.cpp
  src/gui/win32/custom_peers.cpp
  src/gui/win32/message_dialog.cpp
  src/gui/win32/peer_factory.cpp
  src/gui/win32/peers.cpp
  src/gui/win32/standard_peers.cpp
  src/gui/win32/win32_backend.cpp
  src/gui/win32/window_classes.cpp
)
target_link_libraries(quorvel_win32 PUBLIC quorvel_core comctl32 ole32 oleaut32 uuid shell32)

add_executable(Quorvel WIN32 src/app/main_win32.cpp src/app/quorvel.rc)
# The pictures are embedded from src/app/art; a changed picture relinks.
file(GLOB ART_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/app/art/*.jpg)
set_source_files_properties(src/app/quorvel.rc PROPERTIES OBJECT_DEPENDS "${ART_FILES}")
target_link_libraries(Quorvel PRIVATE quorvel_win32 ${QUORVEL_WIN_LINK})
set_property(TARGET Quorvel PROPERTY RULE_LAUNCH_LINK ${CMAKE_SOURCE_DIR}/cmake/link-with-win32-threads)

# GoogleTest, cross-built from Debian's source package.
set(GTEST_SRC /usr/src/googletest/googletest)
add_library(gtest_win STATIC ${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc)
target_include_directories(gtest_win PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
target_compile_definitions(gtest_win PUBLIC GTEST_HAS_PTHREAD=0)
target_compile_options(gtest_win PRIVATE -w)

file(GLOB E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(quorvel_e2e ${E2E_SOURCES})
target_include_directories(quorvel_e2e PRIVATE tests/e2e src)
target_link_libraries(quorvel_e2e PRIVATE gtest_win comctl32 ${QUORVEL_WIN_LINK})

# A console probe that times the level-1 tweak on the real system against the
# same work written directly (scripts/bench-wine). Not shipped.
add_executable(tweak_probe bench/wine_tweak_probe.cpp)
target_link_libraries(tweak_probe PRIVATE quorvel_win32 ${QUORVEL_WIN_LINK})
