# The shipped program and its installer.
enable_language(RC)

# The posix pair would bring winpthreads back in, and with it imports that
# Windows 95 lacks; refuse such a tree rather than ship it.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -v ERROR_VARIABLE QUORVEL_CXX_V OUTPUT_QUIET)
if(NOT QUORVEL_CXX_V MATCHES "Thread model: win32")
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER} is not a win32 thread-model compiler")
endif()

include(cmake/WindowsLibraries.cmake)

# The version lives in src/app/version.h alone; the manifest and the
# installer are given the numbers read from it.
file(STRINGS ${CMAKE_SOURCE_DIR}/src/app/version.h QUORVEL_VERSION_LINES
  REGEX "^#define QUORVEL_VERSION_(MAJOR|MINOR|PATCH|BUILD) [0-9]+$")
foreach(line IN LISTS QUORVEL_VERSION_LINES)
  string(REGEX MATCH "(MAJOR|MINOR|PATCH|BUILD) ([0-9]+)" _ "${line}")
  set(QUORVEL_VERSION_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()
foreach(part MAJOR MINOR PATCH BUILD)
  if(NOT DEFINED QUORVEL_VERSION_${part})
    message(FATAL_ERROR "src/app/version.h does not define QUORVEL_VERSION_${part}")
  endif()
endforeach()
set(QUORVEL_VERSION_TEXT ${QUORVEL_VERSION_MAJOR}.${QUORVEL_VERSION_MINOR}.${QUORVEL_VERSION_PATCH})
set(QUORVEL_VERSION_QUAD ${QUORVEL_VERSION_TEXT}.${QUORVEL_VERSION_BUILD})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/app/version.h)
configure_file(src/app/quorvel.manifest.in ${CMAKE_CURRENT_BINARY_DIR}/generated/quorvel.manifest @ONLY)

add_executable(Quorvel WIN32 src/app/main_win32.cpp src/app/quorvel.rc)
# The pictures, the icon and the manifest are embedded; a changed one relinks.
file(GLOB ART_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/app/art/*)
set_source_files_properties(src/app/quorvel.rc PROPERTIES OBJECT_DEPENDS
  "${ART_FILES};${CMAKE_SOURCE_DIR}/src/app/version.h;${CMAKE_CURRENT_BINARY_DIR}/generated/quorvel.manifest")
target_include_directories(Quorvel PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(Quorvel PRIVATE quorvel_app quorvel_gui_win32 quorvel_platform_win32 ${QUORVEL_WIN_LINK})
# On 64-bit Windows a large-address-aware program gets 4 GB of address space
# instead of 2, and the tweak's whole-memory passes twice the room. Windows
# 9x and NT 4 ignore the flag. The program keeps no pointer in a signed
# integer; the end-to-end tests run it with its low 2 GB taken.
target_link_options(Quorvel PRIVATE -Wl,--large-address-aware)

# Every function the exe imports must be exported by both Windows 95 and
# NT 4.0; the list says where each fact comes from.
set(QUORVEL_IMPORT_LIST ${CMAKE_SOURCE_DIR}/cmake/win95-nt4-imports.txt)
add_custom_command(TARGET Quorvel POST_BUILD
  COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-imports $<TARGET_FILE:Quorvel> ${QUORVEL_IMPORT_LIST}
  COMMENT "Checking the import table of Quorvel.exe against Windows 95 and NT 4.0"
  VERBATIM)
set_property(TARGET Quorvel APPEND PROPERTY LINK_DEPENDS ${QUORVEL_IMPORT_LIST})

include(cmake/Installer.cmake)

# A console probe that times the level-1 tweak on the real system against the
# same work written directly (scripts/bench-wine). Not shipped.
add_executable(tweak_probe bench/wine_tweak_probe.cpp)
target_link_libraries(tweak_probe PRIVATE quorvel_subsystems quorvel_platform_win32 ${QUORVEL_WIN_LINK})

# A console probe that times the system calls a status refresh makes per
# process (scripts/bench-refresh). Not shipped.
add_executable(refresh_probe bench/wine_refresh_probe.cpp)
target_link_libraries(refresh_probe PRIVATE quorvel_subsystems quorvel_platform_win32 ${QUORVEL_WIN_LINK})

# The overall optimization's benchmark (scripts/bench-overall): a probe that
# times the real program's overall optimization against the same memory
# work done plainly. Large-address-aware like the program, so its plain
# passes find the same room. Not shipped.
add_executable(overall_probe bench/wine_overall_probe.cpp)
target_include_directories(overall_probe PRIVATE src)
target_link_libraries(overall_probe PRIVATE ${QUORVEL_WIN_LINK})
target_link_options(overall_probe PRIVATE -Wl,--large-address-aware)

# The start-up benchmark (scripts/bench-start): a probe that times a
# program's start to its first visible window, and the baseline it is set
# against, a bare window program importing from the same system DLLs with
# the same manifest. Not shipped.
add_executable(start_probe bench/wine_start_probe.cpp)
target_include_directories(start_probe PRIVATE src)
target_link_libraries(start_probe PRIVATE ${QUORVEL_WIN_LINK})
add_executable(bare_window WIN32 bench/bare_window.cpp bench/bare_window.rc)
target_include_directories(bare_window PRIVATE src ${CMAKE_CURRENT_BINARY_DIR}/generated)
set_source_files_properties(bench/bare_window.rc PROPERTIES OBJECT_DEPENDS
  ${CMAKE_CURRENT_BINARY_DIR}/generated/quorvel.manifest)
target_link_libraries(bare_window PRIVATE comctl32 ole32 oleaut32 uuid shell32 ${QUORVEL_WIN_LINK})
