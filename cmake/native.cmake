# Native build: the portable code with its POSIX stand-ins, the unit tests and
# the benchmarks of the portable parts.
target_sources(scrimble_core PRIVATE ${POSIX_SOURCES})

# Undefined behaviour (and a float converted to an integer it does not fit)
# stops the program like a memory error, so that no run passes with a report
# in its output.
set(SANITIZERS -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all)
option(SCRIMBLE_SANITIZE "Build with address and undefined-behaviour sanitizers" OFF)
if(SCRIMBLE_SANITIZE)
  add_compile_options(${SANITIZERS} -fno-omit-frame-pointer)
  add_link_options(${SANITIZERS})
  target_compile_options(scrimble_core PRIVATE ${SANITIZERS} -fno-omit-frame-pointer)
endif()

find_package(GTest REQUIRED)
enable_testing()
include(GoogleTest)

file(GLOB_RECURSE UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*_test.cpp)
file(GLOB_RECURSE UNIT_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_executable(scrimble_tests ${UNIT_TESTS} ${UNIT_SUPPORT})
target_include_directories(scrimble_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(scrimble_tests PRIVATE scrimble_core GTest::gtest_main GTest::gmock)
gtest_discover_tests(scrimble_tests DISCOVERY_TIMEOUT 60)

file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
if(FUZZ_TARGETS AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # The program's sources compiled once for all targets; each takes from the
  # library only what it uses.
  add_library(scrimble_fuzz_core STATIC ${PORTABLE_SOURCES} ${POSIX_SOURCES})
  target_include_directories(scrimble_fuzz_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(scrimble_fuzz_core PRIVATE -fsanitize=fuzzer-no-link ${SANITIZERS})
  foreach(f IN LISTS FUZZ_TARGETS)
    get_filename_component(name ${f} NAME_WE)
    add_executable(${name} ${f})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE scrimble_fuzz_core)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${SANITIZERS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer ${SANITIZERS})
  endforeach()
endif()

# The set-up script's package detection, against names no machine has.
add_test(NAME InstallDepsDetection COMMAND ${CMAKE_SOURCE_DIR}/tests/scripts/install_deps_test.sh)
