# Shared build settings and helpers for the project's libraries, tests and benchmarks.

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wduplicated-branches)
  # GCC 12 reports -Wrestrict inside libstdc++ wherever the optimiser inlines std::string's
  # replace and concatenation (GCC bugs 105329 and 105651: copies that cannot overlap); later
  # releases no longer do. The check is off for every file on GCC 12.
  if(CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options(-Wno-restrict)
  endif()
endif()
if(XUNDA_WERROR)
  add_compile_options(-Werror)
endif()
if(XUNDA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(XUNDA_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# xunda_library(<name> [DEPS targets...])
# A static library xunda_<name> from every .cpp in the calling folder; headers are included
# as "<name>/file.h" from src/.
function(xunda_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(xunda_${name} STATIC ${sources})
  target_include_directories(xunda_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(xunda_${name} PUBLIC ${ARG_DEPS} Threads::Threads)
endfunction()

# xunda_test(<name> [DEPS targets...] [SOURCES files...] [PROPERTIES name value...])
# A GoogleTest program test_<name> from every .cpp in the calling folder (or SOURCES), each test
# registered with CTest (with the extra PROPERTIES) and failed when it runs longer than
# XUNDA_TEST_TIMEOUT seconds. Every test
# runs in a private home, offscreen, with a service host where nothing listens
# (tests/support/private_home.cpp).
set(XUNDA_TEST_TIMEOUT 60)
function(xunda_test name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES;PROPERTIES" ${ARGN})
  if(ARG_SOURCES)
    set(sources ${ARG_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  add_executable(test_${name} ${sources})
  target_include_directories(test_${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} xunda_testsupport GTest::gmock GTest::gtest_main)
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${XUNDA_TEST_TIMEOUT} ${ARG_PROPERTIES})
endfunction()

# xunda_bench(<name> [DEPS targets...]): a benchmark program bench_<name> from <name>.cpp.
function(xunda_bench name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  add_executable(bench_${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(bench_${name} PRIVATE ${ARG_DEPS})
endfunction()
