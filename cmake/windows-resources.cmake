# Windows resources: the version resource of every program from the version in
# project(), and for the desktop program its icon (every size rendered at build
# time from the same drawings as the Linux icons) and its manifest.
enable_language(RC)
find_program(VOSTEL_RSVG_CONVERT rsvg-convert REQUIRED)  # librsvg2-bin
find_program(VOSTEL_ICOTOOL icotool REQUIRED)            # icoutils

string(REPLACE "." "," VOSTEL_VERSION_COMMAS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(VOSTEL_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(_windows_packaging ${PROJECT_SOURCE_DIR}/packaging/windows)
set(_icons ${PROJECT_SOURCE_DIR}/packaging/icons)

# vostel.ico: the sizes up to 24 pixels from the small drawing, as on Linux;
# 256 pixels stored as PNG, as Windows expects it.
set(VOSTEL_ICON ${CMAKE_BINARY_DIR}/resources/vostel.ico)
set(_pngs)
foreach(size 16 24 32 48 64 128 256)
  set(drawing ${_icons}/org.vostel.Vostel.svg)
  if(size LESS_EQUAL 24)
    set(drawing ${_icons}/org.vostel.Vostel-small.svg)
  endif()
  set(png ${CMAKE_BINARY_DIR}/resources/icon-${size}.png)
  add_custom_command(OUTPUT ${png} COMMAND ${VOSTEL_RSVG_CONVERT} -w ${size} -h ${size} ${drawing} -o ${png}
                     DEPENDS ${drawing} VERBATIM)
  list(APPEND _pngs ${png})
endforeach()
list(POP_BACK _pngs _png256)
add_custom_command(OUTPUT ${VOSTEL_ICON} COMMAND ${VOSTEL_ICOTOOL} -c -o ${VOSTEL_ICON} ${_pngs} -r ${_png256}
                   DEPENDS ${_pngs} ${_png256} COMMENT "Packing vostel.ico" VERBATIM)
add_custom_target(vostel_icon DEPENDS ${VOSTEL_ICON})

# Gives TARGET (a program) its version resource, described as DESCRIPTION;
# with DESKTOP also the icon and the manifest.
function(vostel_windows_resources target description)
  set(VOSTEL_RC_NAME ${target})
  set(VOSTEL_RC_FILE ${target}.exe)
  set(VOSTEL_RC_DESCRIPTION "${description}")
  set(VOSTEL_RC_EXTRA "")
  set(depends)
  if(ARGN STREQUAL "DESKTOP")
    set(manifest ${CMAKE_BINARY_DIR}/resources/${target}.manifest)
    configure_file(${_windows_packaging}/vostel.manifest.in ${manifest} @ONLY)
    # 1 is the icon Explorer shows; 1 and 24 are the program's manifest (RT_MANIFEST).
    set(VOSTEL_RC_EXTRA "1 ICON \"${VOSTEL_ICON}\"\n1 24 \"${manifest}\"")
    set(depends ${VOSTEL_ICON} ${manifest})
    add_dependencies(${target} vostel_icon)
  endif()
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
  configure_file(${_windows_packaging}/resources.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${depends}")
endfunction()
