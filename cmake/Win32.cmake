# The product, Varnoke.dll, and the Windows test programs that run under Wine,
# for the machine of the toolchain (i686 or x86_64). Each build tree has its
# own Wine prefix of the same width; tests/harness/wine-env.sh reads it from here.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(VARNOKE_WINE_ARCH win64)
else()
  set(VARNOKE_WINE_ARCH win32)
endif()
file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "${VARNOKE_WINE_ARCH}\n")
set(VARNOKE_SYSTEM_LIBS shlwapi shell32 comctl32 comdlg32 ole32 oleaut32 uuid advapi32 gdi32 user32 kernel32)
# Everything static: the module may import system DLLs only.
set(VARNOKE_STATIC_LINK -static -static-libgcc -static-libstdc++)
set(VARNOKE_DEFINES STRICT NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)

add_library(varnoke_core STATIC ${VARNOKE_PURE} ${VARNOKE_WIN})
target_include_directories(varnoke_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(varnoke_core PUBLIC ${VARNOKE_DEFINES})
target_compile_options(varnoke_core PRIVATE ${VARNOKE_WARNINGS})
# One section per function and datum, so the module's link keeps only what
# is reached from its exports.
target_compile_options(varnoke_core PUBLIC -ffunction-sections -fdata-sections)
target_link_libraries(varnoke_core PUBLIC ${VARNOKE_SYSTEM_LIBS})
# Compiled for size, which keeps the module under its limit; the random
# fill keeps full optimisation, since it must keep up with the disk (the
# write loop waits on the disk either way).
target_compile_options(varnoke_core PRIVATE -Os)
set(VARNOKE_FAST ${VARNOKE_PURE} ${VARNOKE_WIN})
list(FILTER VARNOKE_FAST INCLUDE REGEX "/erase/(ChaCha20|PassFiller|RandomSource)\\.cpp$")
set_property(SOURCE ${VARNOKE_FAST} APPEND PROPERTY COMPILE_OPTIONS -O2)

# Type library, embedded as TYPELIB 1.
set(VARNOKE_TLB ${CMAKE_BINARY_DIR}/Varnoke.tlb)
add_custom_command(OUTPUT ${VARNOKE_TLB}
  COMMAND ${VARNOKE_WIDL} ${VARNOKE_WIDL_ARCH} -t -o ${VARNOKE_TLB} ${CMAKE_SOURCE_DIR}/resources/Varnoke.idl
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/Varnoke.idl
  COMMENT "Type library")
add_custom_target(varnoke_tlb DEPENDS ${VARNOKE_TLB})

# All resource scripts are compiled as one: windres numbers the images of
# icons from 1 in each script, and separately compiled scripts with icons
# would clash when the linker merges them.
set(VARNOKE_RC_ALL ${CMAKE_BINARY_DIR}/Varnoke.rc)
set(rc_all "// Generated: the module's resource scripts, compiled as one.\n")
foreach(rc ${VARNOKE_RC})
  string(APPEND rc_all "#include \"${rc}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${VARNOKE_RC_ALL} CONTENT "${rc_all}")
add_library(varnoke_res OBJECT ${VARNOKE_RC_ALL})
target_include_directories(varnoke_res PRIVATE ${CMAKE_SOURCE_DIR}/resources ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
add_dependencies(varnoke_res varnoke_tlb)
set_source_files_properties(${VARNOKE_RC_ALL} PROPERTIES OBJECT_DEPENDS "${VARNOKE_RC};${VARNOKE_RC_INPUTS};${VARNOKE_TLB}")

add_library(Varnoke SHARED ${VARNOKE_EXPORTS} ${CMAKE_SOURCE_DIR}/server/Varnoke.def $<TARGET_OBJECTS:varnoke_res>)
set_target_properties(Varnoke PROPERTIES PREFIX "" OUTPUT_NAME Varnoke
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR} ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
target_compile_options(Varnoke PRIVATE ${VARNOKE_WARNINGS})
target_link_libraries(Varnoke PRIVATE varnoke_core)
target_link_options(Varnoke PRIVATE ${VARNOKE_STATIC_LINK} -Wl,--gc-sections)

# ---- Tests under Wine ------------------------------------------------------
set(WINE_RUN ${CMAKE_SOURCE_DIR}/tests/harness/wine-run.sh)
add_test(NAME wine_setup COMMAND ${CMAKE_SOURCE_DIR}/tests/harness/wine-env.sh setup ${CMAKE_BINARY_DIR})
add_test(NAME wine_cleanup COMMAND ${CMAKE_SOURCE_DIR}/tests/harness/wine-env.sh cleanup ${CMAKE_BINARY_DIR})
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine)

add_test(NAME module_file COMMAND ${CMAKE_SOURCE_DIR}/tests/harness/check-module.sh $<TARGET_FILE:Varnoke> ${CMAKE_SYSTEM_PROCESSOR})

file(GLOB support_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/support/*.cpp)
add_library(varnoke_testsupport STATIC ${support_srcs})
target_include_directories(varnoke_testsupport PUBLIC ${CMAKE_SOURCE_DIR}/tests/win/support)
target_link_libraries(varnoke_testsupport PUBLIC varnoke_core gtest)
target_link_options(varnoke_testsupport INTERFACE ${VARNOKE_STATIC_LINK})

# Windows-side programs, one per folder <name>/*.cpp: what a person runs
# (tools/win: benchmarks, inspect) and what tests drive (tests/drivers: the
# shell-like host, press).
file(GLOB tool_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tools/win/* ${CMAKE_SOURCE_DIR}/tests/drivers/*)
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

if(VARNOKE_WINE_ARCH STREQUAL "win64")
  include(${CMAKE_SOURCE_DIR}/cmake/Installer.cmake)
endif()

# Trees with real directory links and a 20,000-file folder, made from the
# host side of the prefix (see the script) for the walker's and the
# operations' tests.
add_test(NAME operations.HostTree COMMAND ${CMAKE_SOURCE_DIR}/tests/win/operations/host-tree.sh ${CMAKE_BINARY_DIR})
set_tests_properties(operations.HostTree PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 240)

# The menu's and the dialogs' pictures at 96, 144 and 192 DPI, each in a
# Wine prefix of its own at that resolution (see the script).
add_test(NAME menu.DpiPrefixes COMMAND ${CMAKE_SOURCE_DIR}/tests/win/menu/dpi-run.sh ${CMAKE_BINARY_DIR})
set_tests_properties(menu.DpiPrefixes PROPERTIES TIMEOUT 300)

set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/win/support/TestProgram.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/Varnoke.manifest)

# One test program per folder tests/win/<area>; each TEST is one CTest test.
# A test that calls GTEST_SKIP shows as skipped, never as passed; one that
# the program does not hold (an old program left by a failed build) fails.
set(VARNOKE_SHARED_REGISTRY_TESTS HostTest.cpp MsiTest.cpp SparsePackageMsiTest.cpp)
set(VARNOKE_SCREEN_TESTS HostTest.cpp)
set(VARNOKE_LONG_TESTS TreeRunTest.cpp)
# Tests that check which window has the focus: a window of another test
# program taking the foreground takes the focus from their dialog.
set(VARNOKE_FOCUS_TESTS operations.OperationDialog.QuestionsOfEveryModeToTheByte
  operations.OperationDialog.ACleanWithoutAMaskIsRefusedWithItsReasonAndExitAlone)
file(GLOB test_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/win/*)
foreach(dir ${test_dirs})
  get_filename_component(area ${dir} NAME)
  # The installer is built, and so tested, by the 64-bit tree only.
  if(area STREQUAL "installer" AND NOT VARNOKE_WINE_ARCH STREQUAL "win64")
    continue()
  endif()
  if(IS_DIRECTORY ${dir} AND NOT area STREQUAL "support")
    file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    set(extra_srcs)
    if(area STREQUAL "installer")
      set(extra_srcs ${CMAKE_SOURCE_DIR}/tests/win/registration/RegistryFixture.cpp)
    endif()
    # <name>64Test.cpp: tests of a 64-bit prefix (two registry views).
    if(NOT VARNOKE_WINE_ARCH STREQUAL "win64")
      list(FILTER srcs EXCLUDE REGEX "64Test\\.cpp$")
    endif()
    add_executable(${area}_tests ${srcs} ${extra_srcs} ${CMAKE_SOURCE_DIR}/tests/win/support/TestProgram.rc $<TARGET_OBJECTS:varnoke_res>)
    target_include_directories(${area}_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources ${CMAKE_SOURCE_DIR}/tests/win/registration)
    set_target_properties(${area}_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
      CROSSCOMPILING_EMULATOR "${WINE_RUN};${CMAKE_BINARY_DIR}")
    target_compile_options(${area}_tests PRIVATE ${VARNOKE_WARNINGS})
    target_link_libraries(${area}_tests PRIVATE varnoke_testsupport)
    add_dependencies(${area}_tests Varnoke)
    set(area_env)
    if(area STREQUAL "installer")
      target_link_libraries(${area}_tests PRIVATE msi)
      target_compile_definitions(${area}_tests PRIVATE VARNOKE_UPGRADE_CODE="{${VARNOKE_UPGRADE_CODE}}")
      add_dependencies(${area}_tests varnoke_msi host fakepowershell)
      set(area_env VARNOKE_MSI=${VARNOKE_MSI} VARNOKE_OLDER_MSI=${VARNOKE_OLDER_MSI}
        VARNOKE_VERSION=${VARNOKE_VERSION} VARNOKE_OLDER_VERSION=${VARNOKE_OLDER_VERSION})
    elseif(area STREQUAL "registration" AND VARNOKE_WINE_ARCH STREQUAL "win64")
      add_dependencies(${area}_tests varnoke_x86 host)
      set(area_env VARNOKE_X86_MODULE=${VARNOKE_X86_MODULE} VARNOKE_X86_HOST=${VARNOKE_X86_HOST})
    endif()
    set(shared_env VARNOKE_SHARED_HKCU=1 ${area_env})
    foreach(src ${srcs})
      gtest_add_tests(TARGET ${area}_tests SOURCES ${src} TEST_PREFIX "${area}." TEST_LIST added)
      set_tests_properties(${added} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 240
        SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]" FAIL_REGULAR_EXPRESSION "Running 0 tests")
      # Tests that meet other processes (regsvr32, COM activation, the host
      # program, msiexec) in the real HKEY_CURRENT_USER and HKEY_CLASSES_ROOT
      # run one at a time; all others get a private HKEY_CURRENT_USER per
      # process.
      get_filename_component(srcName ${src} NAME)
      if(area STREQUAL "registration" OR srcName IN_LIST VARNOKE_SHARED_REGISTRY_TESTS)
        set_tests_properties(${added} PROPERTIES RESOURCE_LOCK registry ENVIRONMENT "${shared_env}")
      endif()
      # Tests that read their pixels back from the screen run alone: a
      # window of a test running beside them would cover what they look at.
      if(srcName IN_LIST VARNOKE_SCREEN_TESTS)
        set_tests_properties(${added} PROPERTIES RUN_SERIAL TRUE)
      endif()
      foreach(test ${added})
        if(test IN_LIST VARNOKE_FOCUS_TESTS)
          set_tests_properties(${test} PROPERTIES RUN_SERIAL TRUE)
        endif()
      endforeach()
      # Whole trees of 20,000 files, each erased file flushed to the disk:
      # minutes on a busy machine.
      if(srcName IN_LIST VARNOKE_LONG_TESTS)
        set_tests_properties(${added} PROPERTIES TIMEOUT 900)
      endif()
    endforeach()
  endif()
endforeach()
