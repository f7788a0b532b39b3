# The end-to-end test program: GoogleTest, cross-built from Debian's source
# package, driving the real Quorvel.exe from outside. It shares headers (the
# control ids, the version) with the program but none of its code.
set(GTEST_SRC /usr/src/googletest/googletest)
add_library(gtest_win STATIC ${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc)
target_include_directories(gtest_win PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
target_compile_definitions(gtest_win PUBLIC GTEST_HAS_PTHREAD=0)
target_compile_options(gtest_win PRIVATE -w)

file(GLOB E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
add_executable(quorvel_e2e ${E2E_SOURCES})
target_include_directories(quorvel_e2e PRIVATE tests/e2e src)
target_link_libraries(quorvel_e2e PRIVATE gtest_win comctl32 version shell32 psapi ${QUORVEL_WIN_LINK})

# The long run's driver and sampler (scripts/soak).
add_executable(soak_probe tests/soak/soak_probe.cpp)
target_include_directories(soak_probe PRIVATE src)
target_link_libraries(soak_probe PRIVATE psapi ${QUORVEL_WIN_LINK})

# The Win32 GUI runtime's own tests: real windows, paints and timers under
# the system, where the simulated machine cannot reach.
include(cmake/WindowsLibraries.cmake)
file(GLOB BACKEND_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_executable(quorvel_backend_tests ${BACKEND_TEST_SOURCES})
target_link_libraries(quorvel_backend_tests PRIVATE quorvel_gui_win32 gtest_win ${QUORVEL_WIN_LINK})
