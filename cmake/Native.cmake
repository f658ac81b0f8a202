# The code that needs no Windows API, with its tests (and fuzzers with clang).
add_library(varnoke_pure STATIC ${VARNOKE_PURE})
target_include_directories(varnoke_pure PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(varnoke_pure PRIVATE ${VARNOKE_WARNINGS})

file(GLOB native_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(varnoke_native_tests ${native_tests})
target_compile_options(varnoke_native_tests PRIVATE ${VARNOKE_WARNINGS})
target_link_libraries(varnoke_native_tests PRIVATE varnoke_pure gtest_main)
gtest_discover_tests(varnoke_native_tests DISCOVERY_TIMEOUT 60)

# Fuzzers: tests/fuzz/<name>.cpp, each a libFuzzer target, built when the
# compiler is clang; with gcc they are built as plain programs that run the
# corpus given on the command line once.
file(GLOB fuzzers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
foreach(src ${fuzzers})
  get_filename_component(name ${src} NAME_WE)
  add_executable(fuzz_${name} ${src})
  target_link_libraries(fuzz_${name} PRIVATE varnoke_pure)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME fuzz.${name} COMMAND fuzz_${name} -runs=200000 -max_len=512)
  else()
    target_sources(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz/driver/FuzzDriver.cpp)
    add_test(NAME fuzz.${name} COMMAND fuzz_${name} 200000)
  endif()
endforeach()
