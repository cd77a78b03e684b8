# The system DLLs the programs import that are not among the system's known
# DLLs are bound on first use (delay-load) rather than at process start,
# when the loader would look for them in the program's folder before the
# system folder: a version.dll beside a downloaded Quillmoor.exe would be
# loaded in place of the system's. Bound on first use, they are loaded from
# the system folder only (src/core/DllSearch.cpp).
#
# qlm_system_delayed(name) makes the target delayed_<name>: a delay-load
# import library for <name>.dll over every function the system import
# library names, and then that import library itself for what is not a
# function (interface ids). Link it instead of <name>.
function(qlm_system_delayed name)
  if(TARGET delayed_${name})
    return()
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${name}.a
                  OUTPUT_VARIABLE importLib OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${importLib}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  if(failed OR NOT EXISTS "${importLib}")
    message(FATAL_ERROR "No import library for ${name}.dll (${importLib})")
  endif()
  # A function has its call thunk ("T name") beside its import slot.
  string(REGEX MATCHALL "\n[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" thunks "${symbols}")
  set(def "LIBRARY ${name}.dll\nEXPORTS\n")
  foreach(thunk IN LISTS thunks)
    string(REGEX REPLACE "^\n[0-9a-f]+ T " "" function "${thunk}")
    string(APPEND def "  ${function}\n")
  endforeach()
  set(defFile ${CMAKE_BINARY_DIR}/lib/delayed_${name}.def)
  set(delayLib ${CMAKE_BINARY_DIR}/lib/libdelayed_${name}.a)
  file(WRITE ${defFile} "${def}")
  execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${defFile} --dllname ${name}.dll --output-delaylib ${delayLib}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dlltool could not make the delay-load library for ${name}.dll")
  endif()
  add_library(delayed_${name} INTERFACE)
  target_link_libraries(delayed_${name} INTERFACE ${delayLib} ${name} delayimp)
endfunction()

foreach(name version wintrust crypt32 uxtheme msimg32 oleacc bcrypt)
  qlm_system_delayed(${name})
endforeach()
