# Each subsystem folder lists its own files here, so that folders can grow
# without touching the top-level build:
#   varnoke_sources(PURE a.cpp ...)   code without <windows.h>: in the DLL and in the native build
#   varnoke_sources(WIN b.cpp ...)    Windows code: in the DLL only
#   varnoke_sources(RC c.rc ...)      resource scripts of the module
#   varnoke_sources(EXPORTS d.cpp)    linked into the DLL itself: the exported entry points and the
#                                     definitions that must win over the static runtime's own
function(varnoke_sources)
  cmake_parse_arguments(V "" "" "PURE;WIN;RC;EXPORTS" ${ARGN})
  foreach(kind PURE WIN RC EXPORTS)
    foreach(f ${V_${kind}})
      get_filename_component(abs "${f}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
      set_property(GLOBAL APPEND PROPERTY VARNOKE_${kind} "${abs}")
    endforeach()
  endforeach()
endfunction()

# Extra files that resource scripts pull in (bitmaps, icons, clips), so that
# the resources are rebuilt when one of them changes.
function(varnoke_resource_inputs)
  foreach(f ${ARGN})
    get_filename_component(abs "${f}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    set_property(GLOBAL APPEND PROPERTY VARNOKE_RC_INPUTS "${abs}")
  endforeach()
endfunction()
