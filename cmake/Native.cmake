# Host build: the core with the simulated Windows and the headless GUI
# backend, unit tests and benchmarks.
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
find_package(JPEG REQUIRED)
target_link_libraries(quorvel_gui PUBLIC JPEG::JPEG)

# The simulated Windows, below the subsystems.
add_library(quorvel_sim STATIC
  src/platform/sim/sim_os.cpp
  src/platform/sim/sim_os_memory.cpp
  src/platform/sim/sim_os_processes.cpp
  src/platform/sim/sim_os_token.cpp
  src/platform/sim/sim_os_shell.cpp
)
target_link_libraries(quorvel_sim PUBLIC quorvel_platform)

# The headless GUI backend, beside the runtime it serves.
add_library(quorvel_headless STATIC src/gui/headless/headless_backend.cpp)
target_link_libraries(quorvel_headless PUBLIC quorvel_gui)
# It reads the shipped pictures from the source tree.
target_compile_definitions(quorvel_headless PRIVATE QUORVEL_ART_DIR="${CMAKE_SOURCE_DIR}/src/app/art")

file(GLOB_RECURSE UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(quorvel_unit_tests ${UNIT_TEST_SOURCES})
# bench: the timing Os the refresh benchmark measures with is tested too.
target_include_directories(quorvel_unit_tests PRIVATE tests/unit bench)
target_compile_definitions(quorvel_unit_tests PRIVATE QUORVEL_TEST_ART_DIR="${CMAKE_SOURCE_DIR}/src/app/art")
target_link_libraries(quorvel_unit_tests PRIVATE quorvel_app quorvel_sim quorvel_headless GTest::gtest GTest::gtest_main Threads::Threads)

enable_testing()
include(GoogleTest)
gtest_discover_tests(quorvel_unit_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark REQUIRED)
add_executable(quorvel_bench bench/refresh_bench.cpp)
target_link_libraries(quorvel_bench PRIVATE quorvel_app quorvel_sim quorvel_headless benchmark::benchmark)
add_executable(quorvel_tweak_bench bench/tweak_bench.cpp)
target_link_libraries(quorvel_tweak_bench PRIVATE quorvel_app quorvel_sim quorvel_headless benchmark::benchmark)

# The import-table check of the Windows build, fed canned tables.
add_test(NAME check_imports
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/tools/check_imports_test.sh ${CMAKE_SOURCE_DIR}/cmake/check-imports)
