# Build steps of the COM server: the type library and headers from IDL (widl), and
# the class registration scripts from the class list.

find_program(KAVRIN_WIDL NAMES ${KAVRIN_MINGW_TARGET}-widl widl REQUIRED)
set(KAVRIN_WINE_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "Wine's system .idl files")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KAVRIN_WIDL_ARCH --win64)
  set(KAVRIN_STDOLE_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Directory of stdole2.tlb")
else()
  set(KAVRIN_WIDL_ARCH --win32)
  set(KAVRIN_STDOLE_DIR /usr/lib/i386-linux-gnu/wine/i386-windows CACHE PATH "Directory of stdole2.tlb")
endif()

# <dir>/<name>.h, <dir>/<name>_i.c and <dir>/<name>.tlb from one IDL file.
function(kavrin_widl idl dir name)
  set(flags -I${KAVRIN_WINE_IDL_DIR} -L${KAVRIN_STDOLE_DIR} ${KAVRIN_WIDL_ARCH})
  add_custom_command(
    OUTPUT ${dir}/${name}.h ${dir}/${name}_i.c ${dir}/${name}.tlb
    COMMAND ${KAVRIN_WIDL} ${flags} -h -o ${dir}/${name}.h ${idl}
    COMMAND ${KAVRIN_WIDL} ${flags} -u -o ${dir}/${name}_i.c ${idl}
    COMMAND ${KAVRIN_WIDL} ${flags} -t -o ${dir}/${name}.tlb ${idl}
    DEPENDS ${idl}
    COMMENT "widl ${name}.idl"
    VERBATIM)
endfunction()

# One registration script per class of the class list (class.rgs.in), script 101
# for the application id, and a resource script that names them all.
function(kavrin_registry_scripts classes_def template_dir rc_out)
  get_filename_component(out_dir ${rc_out} DIRECTORY)
  file(STRINGS ${classes_def} lines REGEX "^KAVRIN_CLASS\\(")
  set(rc "// Generated from classes.def: the registration scripts.\n")
  configure_file(${template_dir}/appid.rgs ${out_dir}/appid.rgs COPYONLY)
  string(APPEND rc "101 REGISTRY \"appid.rgs\"\n")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^KAVRIN_CLASS\\(([0-9]+), *([A-Za-z]+), *\"([^\"]+)\", *\"([^\"]+)\", *\"([^\"]+)\"\\)")
      message(FATAL_ERROR "classes.def: cannot read ${line}")
    endif()
    set(SCRIPT ${CMAKE_MATCH_1})
    set(VIPROGID ${CMAKE_MATCH_3})
    set(PROGID ${CMAKE_MATCH_3}.1)
    set(DESCRIPTION ${CMAKE_MATCH_4})
    set(CLSID ${CMAKE_MATCH_5})
    configure_file(${template_dir}/class.rgs.in ${out_dir}/class-${SCRIPT}.rgs @ONLY)
    string(APPEND rc "${SCRIPT} REGISTRY \"class-${SCRIPT}.rgs\"\n")
  endforeach()
  file(WRITE ${rc_out}.tmp "${rc}")
  configure_file(${rc_out}.tmp ${rc_out} COPYONLY)
endfunction()
