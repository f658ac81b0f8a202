# The code that needs no Windows API, with its tests (and fuzzers with clang).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_library(varnoke_pure STATIC ${VARNOKE_PURE})
target_include_directories(varnoke_pure PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(varnoke_pure PRIVATE ${VARNOKE_WARNINGS})

file(GLOB native_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(varnoke_native_tests ${native_tests})
target_compile_options(varnoke_native_tests PRIVATE ${VARNOKE_WARNINGS})
target_link_libraries(varnoke_native_tests PRIVATE varnoke_pure gtest_main)
gtest_discover_tests(varnoke_native_tests DISCOVERY_TIMEOUT 60)

# The sparse package's packer (installer/): its parts in the native tests,
# the whole program read back, signed and verified by a script.
include(${CMAKE_SOURCE_DIR}/cmake/Package.cmake)
add_library(varnoke_packer STATIC ${VARNOKE_PACKER_SOURCES})
target_include_directories(varnoke_packer PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(varnoke_packer PRIVATE ${VARNOKE_WARNINGS})
target_link_libraries(varnoke_native_tests PRIVATE varnoke_packer)
add_executable(sparse-pack ${CMAKE_SOURCE_DIR}/installer/sparse-pack.cpp)
target_link_libraries(sparse-pack PRIVATE varnoke_packer varnoke_pure)
# The installer's registry rows from the module's own script, read with the
# module's own registrar.
add_library(varnoke_rows STATIC ${CMAKE_SOURCE_DIR}/installer/RegistryRows.cpp)
target_compile_options(varnoke_rows PRIVATE ${VARNOKE_WARNINGS})
target_link_libraries(varnoke_rows PUBLIC varnoke_pure)
add_executable(rgs-rows ${CMAKE_SOURCE_DIR}/installer/rgs-rows.cpp)
target_link_libraries(rgs-rows PRIVATE varnoke_rows)
target_link_libraries(varnoke_native_tests PRIVATE varnoke_rows)
target_compile_definitions(varnoke_native_tests PRIVATE VARNOKE_MODULE_SCRIPT="${CMAKE_SOURCE_DIR}/resources/Varnoke.rgs")
if(VARNOKE_SIGNS_APPX)
  add_test(NAME tools.package COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/tools/package_test.py
           $<TARGET_FILE:sparse-pack>)
else()
  varnoke_not_built_test(tools.package "${VARNOKE_NO_APPX_REASON}")
endif()

# The include-graph script on made-up trees, and the asset generators
# against the pictures checked in under resources/.
foreach(name include_graph assets)
  add_test(NAME tools.${name} COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/tools/${name}_test.py)
endforeach()
# No include in this tree runs against the layering.
add_test(NAME tools.include_graph_tree COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/include-graph.py ${CMAKE_SOURCE_DIR})

# Fuzzers: tests/fuzz/<name>.cpp, each a libFuzzer target that starts from
# its seeds in tests/fuzz/corpus/<name>/. With clang, libFuzzer runs each
# for a fixed time. What it learns goes to fuzz/corpus/<name>/ in the build
# tree (the first folder given, so the checked-in seeds never change), and
# an input that crashes, leaks or hangs is saved under fuzz/artifacts/ there,
# its path printed in the test's output. Other compilers link the plain
# driver: the seeds once, then a fixed series of random inputs.
set(VARNOKE_FUZZ_SECONDS 20 CACHE STRING "Time given to each libFuzzer target by its test, in seconds")
set(fuzz_tree ${CMAKE_BINARY_DIR}/fuzz)
file(GLOB fuzzers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*.cpp)
set(fuzz_folders "")
foreach(src ${fuzzers})
  get_filename_component(name ${src} NAME_WE)
  set(seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  if(NOT IS_DIRECTORY ${seeds})
    message(FATAL_ERROR "The fuzzer ${name} has no seed folder ${seeds}")
  endif()
  add_executable(fuzz_${name} ${src})
  target_link_libraries(fuzz_${name} PRIVATE varnoke_pure)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME fuzz.${name}
             COMMAND fuzz_${name} -max_total_time=${VARNOKE_FUZZ_SECONDS} -timeout=10 -max_len=1024
                     -print_final_stats=1 -artifact_prefix=${fuzz_tree}/artifacts/${name}/
                     ${fuzz_tree}/corpus/${name} ${seeds})
    list(APPEND fuzz_folders ${fuzz_tree}/artifacts/${name} ${fuzz_tree}/corpus/${name})
    set_tests_properties(fuzz.${name} PROPERTIES FIXTURES_REQUIRED fuzz_folders
                         TIMEOUT 120 LABELS fuzz)
  else()
    target_sources(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz/driver/FuzzDriver.cpp)
    add_test(NAME fuzz.${name} COMMAND fuzz_${name} 200000 256 ${seeds})
    set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz)
  endif()
endforeach()
if(fuzz_folders)
  # libFuzzer writes into these folders but does not create them.
  add_test(NAME fuzz.folders COMMAND ${CMAKE_COMMAND} -E make_directory ${fuzz_folders})
  set_tests_properties(fuzz.folders PROPERTIES FIXTURES_SETUP fuzz_folders)
endif()
