# What the sparse package and the signing need on the build machine, for
# the native tree (tests) and the 64-bit tree (the products).
#   VARNOKE_PACKER_SOURCES  the packer's pure code (installer/)
#   VARNOKE_OSSLSIGNCODE    the signing tool
#   VARNOKE_SIGNS_APPX      whether it can sign MSIX packages; if not,
#   VARNOKE_NO_APPX_REASON  says why, in one line
#   VARNOKE_PUBLISHER       the package's publisher: the signing certificate's
#                           subject, in Windows' form
set(VARNOKE_PACKER_SOURCES
  ${CMAKE_SOURCE_DIR}/installer/Sha256.cpp ${CMAKE_SOURCE_DIR}/installer/ZipWriter.cpp
  ${CMAKE_SOURCE_DIR}/installer/SparsePackage.cpp)
set(VARNOKE_PACKER_HEADERS
  ${CMAKE_SOURCE_DIR}/installer/Sha256.h ${CMAKE_SOURCE_DIR}/installer/ZipWriter.h
  ${CMAKE_SOURCE_DIR}/installer/SparsePackage.h)
set(VARNOKE_SIGN ${CMAKE_SOURCE_DIR}/tools/signing/sign.sh)
set(VARNOKE_PUBLISHER "CN=Thandrel" CACHE STRING
    "The sparse package's publisher: the subject of the signing certificate, as Windows writes it")

find_program(VARNOKE_OSSLSIGNCODE osslsigncode REQUIRED NO_CMAKE_FIND_ROOT_PATH)
find_program(VARNOKE_OPENSSL openssl REQUIRED NO_CMAKE_FIND_ROOT_PATH)
# osslsigncode signs APPX/MSIX packages from 2.7 on; older ones still sign
# the modules and the MSI.
execute_process(COMMAND ${VARNOKE_OSSLSIGNCODE} --version OUTPUT_VARIABLE osslsigncode_banner ERROR_QUIET)
set(VARNOKE_SIGNS_APPX OFF)
if(osslsigncode_banner MATCHES "osslsigncode ([0-9]+)\\.([0-9]+)")
  set(osslsigncode_version ${CMAKE_MATCH_1}.${CMAKE_MATCH_2})
  if(osslsigncode_version VERSION_GREATER_EQUAL 2.7)
    set(VARNOKE_SIGNS_APPX ON)
  else()
    set(VARNOKE_NO_APPX_REASON
        "osslsigncode ${osslsigncode_version} cannot sign MSIX packages (2.7 or later is needed; see tools/install-deps.sh)")
  endif()
else()
  set(VARNOKE_NO_APPX_REASON "${VARNOKE_OSSLSIGNCODE} --version names no version")
endif()
if(NOT VARNOKE_SIGNS_APPX)
  message(WARNING "The sparse package for Windows 11's context menu is NOT BUILT: ${VARNOKE_NO_APPX_REASON}")
endif()

# A test that stands for a step this machine cannot take: it shows as
# skipped, with the reason in its output, never as passed.
function(varnoke_not_built_test name reason)
  add_test(NAME ${name} COMMAND sh -c "echo \"not built: $0\"; exit 77" "${reason}")
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
endfunction()
