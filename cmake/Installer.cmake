# The MSI of both modules, built by the 64-bit tree with wixl:
#   build/Varnoke-<version>.msi   (x64 module into Program Files\Varnoke,
#                                  x86 module into Program Files (x86)\Varnoke)
# and the sparse package that Windows 11 needs to show the module's Explorer
# command in its top-level context menu, installed beside the x64 module:
#   build/Varnoke-<version>-sparse.msix
# Both modules, the package and the MSI are signed with one certificate by
# tools/signing/sign.sh: the modules before they go into the MSI, then the
# MSI.
# The 32-bit module comes from the win32 tree (configured here if it is not
# yet): the cross-compiler runs on every machine, even one that cannot run
# 32-bit programs.

# The version is the module's own (PRODUCTVERSION of its version block).
# Windows Installer compares only the first three fields, so the package
# carries those three: a fourth-field change alone would install a second
# product beside the first.
set(VARNOKE_VERSION_RC ${CMAKE_SOURCE_DIR}/resources/Module.rc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VARNOKE_VERSION_RC})
file(STRINGS ${VARNOKE_VERSION_RC} version_line REGEX "^[ \t]*PRODUCTVERSION[ \t]")
if(NOT version_line MATCHES
   "PRODUCTVERSION[ \t]+([0-9]+)[ \t]*,[ \t]*([0-9]+)[ \t]*,[ \t]*([0-9]+)[ \t]*,[ \t]*([0-9]+)")
  message(FATAL_ERROR "no PRODUCTVERSION of four fields in ${VARNOKE_VERSION_RC}")
endif()
set(v_major ${CMAKE_MATCH_1})
set(v_minor ${CMAKE_MATCH_2})
set(v_build ${CMAKE_MATCH_3})
set(VARNOKE_VERSION ${v_major}.${v_minor}.${v_build})
# The sparse package's identity takes all four.
set(VARNOKE_PACKAGE_VERSION ${VARNOKE_VERSION}.${CMAKE_MATCH_4})
# An older version of the same package, for the upgrade test.
if(v_build GREATER 0)
  math(EXPR v_build "${v_build} - 1")
elseif(v_minor GREATER 0)
  math(EXPR v_minor "${v_minor} - 1")
elseif(v_major GREATER 0)
  math(EXPR v_major "${v_major} - 1")
else()
  message(FATAL_ERROR "version 0.0.0 has no older version to test the upgrade with")
endif()
set(VARNOKE_OLDER_VERSION ${v_major}.${v_minor}.${v_build})

# Fixed for the life of the product: the upgrade code ties all versions
# together; each component keeps its id. The product code follows from the
# version, so that rebuilding one version gives the same product.
set(VARNOKE_UPGRADE_CODE DBE70BD0-C48D-49F7-86E2-FC75CCEEBBD1)
set(VARNOKE_COMPONENT64 14F37772-1BBE-41AF-936F-801C7B46B09E)
set(VARNOKE_COMPONENT32 D14FC4F6-4A62-427B-A5AD-C0005A5A6D70)
set(VARNOKE_COMPONENT_PACKAGE BAA359F2-73DB-425B-BA9E-838BE6BBA108)
set(VARNOKE_ACTIVE_SETUP_ID {F3C0B1F7-A54A-4042-B047-5FB719930D31})

include(${CMAKE_SOURCE_DIR}/cmake/Package.cmake)
set(VARNOKE_PACKAGE_NAME Thandrel.Varnoke)
set(VARNOKE_PACKAGE_FILE Varnoke-sparse.msix)
set(VARNOKE_CERTIFICATES ${CMAKE_BINARY_DIR}/signing)
# varnoke_sign(<input> <output>): the one way a file of the product is signed.
function(varnoke_sign input output)
  get_filename_component(name ${output} NAME)
  add_custom_command(OUTPUT ${output}
    COMMAND ${VARNOKE_SIGN} ${input} ${output} ${VARNOKE_CERTIFICATES} ${VARNOKE_PUBLISHER}
    DEPENDS ${input} ${VARNOKE_SIGN}
    COMMENT "Signing ${name}" VERBATIM)
endfunction()

find_program(VARNOKE_WIXL wixl REQUIRED)
find_program(VARNOKE_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)

# The 32-bit module, from its own tree, with the 32-bit shell-like host that
# the registration tests of both views use.
set(VARNOKE_X86_TREE ${CMAKE_SOURCE_DIR}/build/win32)
set(VARNOKE_X86_MODULE ${VARNOKE_X86_TREE}/Varnoke.dll)
set(VARNOKE_X86_HOST ${VARNOKE_X86_TREE}/host.exe)
add_custom_target(varnoke_x86 ALL
  COMMAND sh -c "test -f \"$1/build.ninja\" || \"$0\" --preset win32 >/dev/null" ${CMAKE_COMMAND} ${VARNOKE_X86_TREE}
  COMMAND ${CMAKE_COMMAND} --build ${VARNOKE_X86_TREE} --target Varnoke host
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  BYPRODUCTS ${VARNOKE_X86_MODULE} ${VARNOKE_X86_HOST}
  COMMENT "The 32-bit module (win32 tree)"
  USES_TERMINAL VERBATIM)

# rgs-rows and sparse-pack run on the build machine, compiled there from
# the pure code of the layers they stand on (the lists the folders give):
# the script is read with the module's own registrar, the class ids are
# the module's own.
set(build_tool_sources ${VARNOKE_PURE})
list(FILTER build_tool_sources INCLUDE REGEX "/(base|registration)/[^/]+\\.cpp$")
file(GLOB build_tool_headers ${CMAKE_SOURCE_DIR}/base/*.h ${CMAKE_SOURCE_DIR}/registration/*.h
     ${CMAKE_SOURCE_DIR}/installer/*.h ${CMAKE_SOURCE_DIR}/installer/host/*.h)
set(rgs_rows ${CMAKE_BINARY_DIR}/installer/rgs-rows)
set(rgs_rows_sources ${CMAKE_SOURCE_DIR}/installer/rgs-rows.cpp ${CMAKE_SOURCE_DIR}/installer/RegistryRows.cpp
    ${build_tool_sources})
add_custom_command(OUTPUT ${rgs_rows}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/installer
  COMMAND ${VARNOKE_HOST_CXX} -std=c++17 -O1 -Wall -Wextra -I${CMAKE_SOURCE_DIR} ${rgs_rows_sources} -o ${rgs_rows}
  DEPENDS ${rgs_rows_sources} ${build_tool_headers}
  COMMENT "rgs-rows for the build machine")

set(rgs ${CMAKE_SOURCE_DIR}/resources/Varnoke.rgs)
foreach(bits 64 32)
  set(rows${bits} ${CMAKE_BINARY_DIR}/installer/rows${bits}.wxi)
  add_custom_command(OUTPUT ${rows${bits}}
    COMMAND ${rgs_rows} ${rgs} Varnoke${bits} ${rows${bits}}
    DEPENDS ${rgs_rows} ${rgs}
    COMMENT "Registry rows of the ${bits}-bit module")
endforeach()

# The package carries stripped, signed modules.
set(stripped64 ${CMAKE_BINARY_DIR}/installer/stripped/x64/Varnoke.dll)
set(stripped32 ${CMAKE_BINARY_DIR}/installer/stripped/x86/Varnoke.dll)
set(module64 ${CMAKE_BINARY_DIR}/installer/x64/Varnoke.dll)
set(module32 ${CMAKE_BINARY_DIR}/installer/x86/Varnoke.dll)
add_custom_command(OUTPUT ${stripped64} ${stripped32}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/installer/stripped/x64
          ${CMAKE_BINARY_DIR}/installer/stripped/x86 ${CMAKE_BINARY_DIR}/installer/x64 ${CMAKE_BINARY_DIR}/installer/x86
  COMMAND x86_64-w64-mingw32-strip -o ${stripped64} $<TARGET_FILE:Varnoke>
  COMMAND i686-w64-mingw32-strip -o ${stripped32} ${VARNOKE_X86_MODULE}
  DEPENDS Varnoke varnoke_x86 ${VARNOKE_X86_MODULE}
  COMMENT "Stripped modules for the package")
varnoke_sign(${stripped64} ${module64})
varnoke_sign(${stripped32} ${module32})
add_test(NAME module_file_signed COMMAND ${CMAKE_SOURCE_DIR}/tests/harness/check-module.sh ${module64} x86_64)
add_test(NAME module_file_signed_x86 COMMAND ${CMAKE_SOURCE_DIR}/tests/harness/check-module.sh ${module32} i686)
set(VARNOKE_SIGNED_FILES ${module64} ${module32})

# The sparse package, made by sparse-pack on the build machine: the class
# id from registration/ClassIds.h, the module's file name from its target, the
# version from its version block, the logos from resources/package.
set(package_dir ${CMAKE_BINARY_DIR}/installer)
set(VARNOKE_PACKAGE_SCRIPT Varnoke-Package.ps1)
if(VARNOKE_SIGNS_APPX)
  set(sparse_pack ${package_dir}/sparse-pack)
  add_custom_command(OUTPUT ${sparse_pack}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}
    COMMAND ${VARNOKE_HOST_CXX} -std=c++17 -O1 -Wall -Wextra -I${CMAKE_SOURCE_DIR}
            ${CMAKE_SOURCE_DIR}/installer/sparse-pack.cpp ${VARNOKE_PACKER_SOURCES} ${build_tool_sources} -o ${sparse_pack}
    DEPENDS ${CMAKE_SOURCE_DIR}/installer/sparse-pack.cpp ${VARNOKE_PACKER_SOURCES} ${build_tool_sources}
            ${build_tool_headers}
    COMMENT "sparse-pack for the build machine")
  set(logos ${CMAKE_SOURCE_DIR}/resources/package/StoreLogo.png ${CMAKE_SOURCE_DIR}/resources/package/Square150x150Logo.png
      ${CMAKE_SOURCE_DIR}/resources/package/Square44x44Logo.png)
  set(unsigned_package ${package_dir}/unsigned/${VARNOKE_PACKAGE_FILE})
  set(VARNOKE_SPARSE_PACKAGE ${CMAKE_SOURCE_DIR}/build/Varnoke-${VARNOKE_PACKAGE_VERSION}-sparse.msix)
  add_custom_command(OUTPUT ${unsigned_package}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}/unsigned
    COMMAND ${sparse_pack} ${unsigned_package} ${VARNOKE_PACKAGE_VERSION} ${VARNOKE_PUBLISHER} ${VARNOKE_PACKAGE_NAME}
            $<TARGET_FILE_NAME:Varnoke> ${CMAKE_SOURCE_DIR}/resources/package
    DEPENDS ${sparse_pack} ${logos}
    COMMENT "Sparse package ${VARNOKE_PACKAGE_VERSION}" VERBATIM)
  varnoke_sign(${unsigned_package} ${VARNOKE_SPARSE_PACKAGE})
  list(APPEND VARNOKE_SIGNED_FILES ${VARNOKE_SPARSE_PACKAGE})
  configure_file(${CMAKE_SOURCE_DIR}/installer/${VARNOKE_PACKAGE_SCRIPT} ${package_dir}/${VARNOKE_PACKAGE_SCRIPT} @ONLY)
  file(RELATIVE_PATH package_source ${package_dir} ${VARNOKE_SPARSE_PACKAGE})
  set(package_defines -D SparsePackage=yes -D Package=${package_source} -D PackageFileName=${VARNOKE_PACKAGE_FILE}
      -D PackageScriptName=${VARNOKE_PACKAGE_SCRIPT} -D ComponentPackage=${VARNOKE_COMPONENT_PACKAGE})
  set(package_inputs ${VARNOKE_SPARSE_PACKAGE} ${package_dir}/${VARNOKE_PACKAGE_SCRIPT})
else()
  # Said at configure time and by the test below: the MSI is built without
  # the package, never as if it held one.
  set(package_defines -D SparsePackage=no)
  set(package_inputs)
  varnoke_not_built_test(package.sparse "${VARNOKE_NO_APPX_REASON}")
endif()

# varnoke_package(<output> <version>): the signed MSI.
# wixl takes sources and includes by names relative to the package source,
# so it runs on a copy of it next to the modules and rows.
configure_file(${CMAKE_SOURCE_DIR}/installer/Varnoke.wxs ${package_dir}/Varnoke.wxs COPYONLY)
function(varnoke_package output version)
  string(UUID product NAMESPACE ${VARNOKE_UPGRADE_CODE} NAME "Varnoke ${version}" TYPE SHA1 UPPER)
  get_filename_component(name ${output} NAME)
  set(unsigned ${package_dir}/unsigned/${name})
  add_custom_command(OUTPUT ${unsigned}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}/unsigned
    COMMAND ${VARNOKE_WIXL} -a x64 -o ${unsigned}
            -D Version=${version} -D ProductCode=${product} -D UpgradeCode=${VARNOKE_UPGRADE_CODE}
            -D Component64=${VARNOKE_COMPONENT64} -D Component32=${VARNOKE_COMPONENT32}
            -D Module64=x64/Varnoke.dll -D Module32=x86/Varnoke.dll -D Rows64=rows64.wxi -D Rows32=rows32.wxi
            ${package_defines}
            Varnoke.wxs
    WORKING_DIRECTORY ${package_dir}
    DEPENDS ${package_dir}/Varnoke.wxs ${module64} ${module32} ${rows64} ${rows32} ${package_inputs}
    COMMENT "MSI ${version}")
  varnoke_sign(${unsigned} ${output})
endfunction()

set(VARNOKE_MSI ${CMAKE_SOURCE_DIR}/build/Varnoke-${VARNOKE_VERSION}.msi)
set(VARNOKE_OLDER_MSI ${CMAKE_BINARY_DIR}/installer/Varnoke-${VARNOKE_OLDER_VERSION}.msi)
varnoke_package(${VARNOKE_MSI} ${VARNOKE_VERSION})
varnoke_package(${VARNOKE_OLDER_MSI} ${VARNOKE_OLDER_VERSION})
add_custom_target(varnoke_msi ALL DEPENDS ${VARNOKE_MSI} ${VARNOKE_OLDER_MSI})
list(APPEND VARNOKE_SIGNED_FILES ${VARNOKE_MSI})

# Every signed file passes osslsigncode verify against the certificate it
# was signed with; the test prints each verification.
add_test(NAME package.signatures COMMAND ${CMAKE_SOURCE_DIR}/tests/harness/verify-signatures.sh
         ${VARNOKE_CERTIFICATES} ${VARNOKE_SIGNED_FILES})

add_test(NAME module_file_x86 COMMAND ${CMAKE_SOURCE_DIR}/tests/harness/check-module.sh ${VARNOKE_X86_MODULE} i686)
