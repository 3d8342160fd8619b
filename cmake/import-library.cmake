# MinGW-w64 ships no import library for some system DLLs (scarddlg.dll among them):
# make one with dlltool from the names this project calls.
find_program(KAVRIN_DLLTOOL NAMES ${KAVRIN_MINGW_TARGET}-dlltool dlltool REQUIRED)

# kavrin_import_library(<target> <dll> <stdcall name@bytes>...): an imported library
# target <target> for <dll> exporting the given __stdcall functions.
function(kavrin_import_library target dll)
  get_filename_component(base ${dll} NAME_WE)
  set(def "LIBRARY ${dll}\nEXPORTS\n")
  foreach(export IN LISTS ARGN)
    # 32-bit callers use the decorated name; 64-bit code has no decoration.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      string(REGEX REPLACE "@[0-9]+$" "" export ${export})
    endif()
    string(APPEND def "${export}\n")
  endforeach()
  set(dir ${CMAKE_BINARY_DIR}/import-libraries)
  file(MAKE_DIRECTORY ${dir})
  file(WRITE ${dir}/${base}.def.tmp "${def}")
  configure_file(${dir}/${base}.def.tmp ${dir}/${base}.def COPYONLY)
  add_custom_command(
    OUTPUT ${dir}/lib${base}.a
    COMMAND ${KAVRIN_DLLTOOL} --kill-at -d ${dir}/${base}.def -l ${dir}/lib${base}.a
    DEPENDS ${dir}/${base}.def
    COMMENT "import library for ${dll}"
    VERBATIM)
  add_custom_target(${target}_import DEPENDS ${dir}/lib${base}.a)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${dir}/lib${base}.a)
  add_dependencies(${target} ${target}_import)
endfunction()
