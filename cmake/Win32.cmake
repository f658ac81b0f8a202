# The product, Varnoke.dll, and the Windows test programs that run under Wine.
set(VARNOKE_SYSTEM_LIBS shlwapi shell32 comctl32 comdlg32 ole32 oleaut32 uuid advapi32 gdi32 user32 kernel32)
# Everything static: the module may import system DLLs only.
set(VARNOKE_STATIC_LINK -static -static-libgcc -static-libstdc++)
set(VARNOKE_DEFINES STRICT NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)

add_library(varnoke_core STATIC ${VARNOKE_PURE} ${VARNOKE_WIN})
target_include_directories(varnoke_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(varnoke_core PUBLIC ${VARNOKE_DEFINES})
target_compile_options(varnoke_core PRIVATE ${VARNOKE_WARNINGS})
target_link_libraries(varnoke_core PUBLIC ${VARNOKE_SYSTEM_LIBS})

# Type library, embedded as TYPELIB 1.
set(VARNOKE_TLB ${CMAKE_BINARY_DIR}/Varnoke.tlb)
add_custom_command(OUTPUT ${VARNOKE_TLB}
  COMMAND ${VARNOKE_WIDL} --win32 -t -o ${VARNOKE_TLB} ${CMAKE_SOURCE_DIR}/resources/Varnoke.idl
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/Varnoke.idl
  COMMENT "Type library")
add_custom_target(varnoke_tlb DEPENDS ${VARNOKE_TLB})

add_library(varnoke_res OBJECT ${VARNOKE_RC})
target_include_directories(varnoke_res PRIVATE ${CMAKE_SOURCE_DIR}/resources ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
add_dependencies(varnoke_res varnoke_tlb)
set_source_files_properties(${VARNOKE_RC} PROPERTIES OBJECT_DEPENDS "${VARNOKE_RC_INPUTS};${VARNOKE_TLB}")

add_library(Varnoke SHARED ${VARNOKE_EXPORTS} ${CMAKE_SOURCE_DIR}/server/Varnoke.def $<TARGET_OBJECTS:varnoke_res>)
set_target_properties(Varnoke PROPERTIES PREFIX "" OUTPUT_NAME Varnoke
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR} ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
target_compile_options(Varnoke PRIVATE ${VARNOKE_WARNINGS})
target_link_libraries(Varnoke PRIVATE varnoke_core)
target_link_options(Varnoke PRIVATE ${VARNOKE_STATIC_LINK})

# ---- Tests under Wine ------------------------------------------------------
set(WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine-run.sh)
add_test(NAME wine_setup COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env.sh setup ${CMAKE_BINARY_DIR})
add_test(NAME wine_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-env.sh cleanup ${CMAKE_BINARY_DIR})
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine)

add_test(NAME module_file COMMAND ${CMAKE_SOURCE_DIR}/tools/check-module.sh $<TARGET_FILE:Varnoke>)

file(GLOB support_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp)
add_library(varnoke_testsupport STATIC ${support_srcs})
target_include_directories(varnoke_testsupport PUBLIC ${CMAKE_SOURCE_DIR}/tests/win/support)
target_link_libraries(varnoke_testsupport PUBLIC varnoke_core gtest)
target_link_options(varnoke_testsupport INTERFACE ${VARNOKE_STATIC_LINK})

# Windows-side programs in tools/ (the shell-like host, benchmarks): tools/win/<name>/*.cpp
file(GLOB tool_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tools/win/*)
foreach(dir ${tool_dirs})
  if(IS_DIRECTORY ${dir})
    get_filename_component(name ${dir} NAME)
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.rc)
    add_executable(${name} ${srcs})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    target_compile_options(${name} PRIVATE ${VARNOKE_WARNINGS})
    target_link_libraries(${name} PRIVATE varnoke_core)
    target_link_options(${name} PRIVATE ${VARNOKE_STATIC_LINK})
  endif()
endforeach()

# One test program per folder tests/win/<area>; each TEST is one CTest test.
set(VARNOKE_SHARED_REGISTRY_TESTS HostTest.cpp)
file(GLOB test_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/win/*)
foreach(dir ${test_dirs})
  get_filename_component(area ${dir} NAME)
  if(IS_DIRECTORY ${dir} AND NOT area STREQUAL "support")
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    add_executable(${area}_tests ${srcs} ${CMAKE_SOURCE_DIR}/tests/win/support/TestProgram.rc $<TARGET_OBJECTS:varnoke_res>)
    target_include_directories(${area}_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources)
    set_target_properties(${area}_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
      CROSSCOMPILING_EMULATOR "${WINE_RUN};${CMAKE_BINARY_DIR}")
    target_compile_options(${area}_tests PRIVATE ${VARNOKE_WARNINGS})
    target_link_libraries(${area}_tests PRIVATE varnoke_testsupport)
    add_dependencies(${area}_tests Varnoke)
    foreach(src ${srcs})
      gtest_add_tests(TARGET ${area}_tests SOURCES ${src} TEST_PREFIX "${area}." TEST_LIST added)
      set_tests_properties(${added} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 240)
      # Tests that meet other processes (regsvr32, COM activation, the host
      # program) in the real HKEY_CURRENT_USER and HKEY_CLASSES_ROOT run one
      # at a time; all others get a private HKEY_CURRENT_USER per process.
      get_filename_component(srcName ${src} NAME)
      if(area STREQUAL "registration" OR srcName IN_LIST VARNOKE_SHARED_REGISTRY_TESTS)
        set_tests_properties(${added} PROPERTIES RESOURCE_LOCK registry ENVIRONMENT VARNOKE_SHARED_HKCU=1)
      endif()
    endforeach()
  endif()
endforeach()
