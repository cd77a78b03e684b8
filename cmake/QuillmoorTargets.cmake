# Helpers shared by the program's targets.

# qlm_target_defaults(target): warnings, include root.
function(qlm_target_defaults target)
  target_compile_options(${target} PRIVATE ${QLM_WARNINGS})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src)
endfunction()

# qlm_version_resource(target DESCRIPTION text FILENAME name)
# Gives the binary a version resource so Windows shows product, company and
# version in its file properties.
function(qlm_version_resource target)
  cmake_parse_arguments(V "" "DESCRIPTION;FILENAME;TYPE" "" ${ARGN})
  if(NOT V_TYPE)
    set(V_TYPE VFT_DLL)
  endif()
  set(QLM_VR_DESCRIPTION "${V_DESCRIPTION}")
  set(QLM_VR_FILENAME "${V_FILENAME}")
  set(QLM_VR_TYPE "${V_TYPE}")
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/resources/version.rc.in ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()
