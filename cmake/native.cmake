# Native build (host g++ or clang): the core, its unit tests on the fake world,
# the fuzzers and the benchmarks.

option(NIMBRA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(NIMBRA_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(NIMBRA_BENCH "Build the benchmarks" ON)

if(NIMBRA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(NIMBRA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB fake_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/fake/*.cpp)
add_library(nimbra_fakes STATIC ${fake_sources})
target_include_directories(nimbra_fakes PUBLIC ${PROJECT_SOURCE_DIR}/tests/support)
target_link_libraries(nimbra_fakes PUBLIC nimbra_platform)

# One test executable per subsystem, so that each can be built and run alone.
foreach(subsystem text support host lang install deployment update)
  file(GLOB test_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/${subsystem}/*.cpp)
  set(library nimbra_${subsystem})
  if(subsystem STREQUAL "support")
    set(library nimbra_platform)
  endif()
  add_executable(unit_${subsystem} ${test_sources})
  target_link_libraries(unit_${subsystem} PRIVATE ${library} nimbra_fakes GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(unit_${subsystem} TEST_PREFIX "${subsystem}." DISCOVERY_TIMEOUT 30)
endforeach()

if(NIMBRA_FUZZ)
  file(GLOB fuzz_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*.cpp)
  foreach(source ${fuzz_sources})
    get_filename_component(target ${source} NAME_WE)
    add_executable(${target} ${source})
    target_link_libraries(${target} PRIVATE nimbra_update nimbra_fakes)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()

if(NIMBRA_BENCH AND NOT NIMBRA_FUZZ)
  find_package(benchmark QUIET)
  file(GLOB bench_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
  if(benchmark_FOUND)
    foreach(source ${bench_sources})
      get_filename_component(target ${source} NAME_WE)
      add_executable(${target} ${source})
      target_link_libraries(${target} PRIVATE nimbra_update nimbra_fakes benchmark::benchmark)
    endforeach()
  endif()
endif()
