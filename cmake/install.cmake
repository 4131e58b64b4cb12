# What `cmake --install` puts in place, the `programs` target that builds only the
# programs, and the Debian package (CPack, see scripts/package).
include(GNUInstallDirs)

set(VOSTEL_APP_ID org.vostel.Vostel)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

set(VOSTEL_PROGRAMS)
foreach(program vostel vostel-tool vostel-sim)
  if(TARGET ${program})
    list(APPEND VOSTEL_PROGRAMS ${program})
  endif()
endforeach()
add_custom_target(programs DEPENDS ${VOSTEL_PROGRAMS})
install(TARGETS ${VOSTEL_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(NOT UNIX)
  return()
endif()

# Installs TEMPLATE as DESTINATION/NAME with @VOSTEL_INSTALL_BINDIR@ and
# @VOSTEL_INSTALL_LIBEXECDIR@ replaced at install time, so that a different
# --prefix, DESTDIR and the package all get the paths the files really have.
function(vostel_install_with_paths template destination name)
  set(staged ${CMAKE_CURRENT_BINARY_DIR}/install-time/${name})
  set(permissions "")
  if(ARGN STREQUAL "PROGRAM")
    set(permissions "FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                     WORLD_READ WORLD_EXECUTE")
  endif()
  install(CODE "
    set(VOSTEL_INSTALL_BINDIR [[${CMAKE_INSTALL_BINDIR}]])
    set(VOSTEL_INSTALL_LIBEXECDIR [[${CMAKE_INSTALL_LIBEXECDIR}]])
    foreach(dir VOSTEL_INSTALL_BINDIR VOSTEL_INSTALL_LIBEXECDIR)
      cmake_path(ABSOLUTE_PATH \${dir} BASE_DIRECTORY \"\${CMAKE_INSTALL_PREFIX}\" NORMALIZE)
    endforeach()
    configure_file([[${template}]] [[${staged}]] @ONLY)
    file(INSTALL [[${staged}]] DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${destination}\" ${permissions})")
endfunction()

if(TARGET vostel)
  # The menu starts vostel through a launcher that changes to the user's data folder.
  vostel_install_with_paths(${packaging}/start-in-data-folder.in ${CMAKE_INSTALL_LIBEXECDIR}/vostel
                            start-in-data-folder PROGRAM)
  vostel_install_with_paths(${packaging}/${VOSTEL_APP_ID}.desktop.in ${CMAKE_INSTALL_DATADIR}/applications
                            ${VOSTEL_APP_ID}.desktop)
  # KWin offers its fake input only to a program whose installed desktop entry
  # names that very binary and asks for the interface; the menu entry names
  # the launcher, so a hidden entry names the program.
  vostel_install_with_paths(${packaging}/${VOSTEL_APP_ID}.keys.desktop.in ${CMAKE_INSTALL_DATADIR}/applications
                            ${VOSTEL_APP_ID}.keys.desktop)
  configure_file(${packaging}/${VOSTEL_APP_ID}.metainfo.xml.in ${VOSTEL_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${VOSTEL_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${packaging}/icons/${VOSTEL_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${packaging}/icons/${VOSTEL_APP_ID}-${size}.png RENAME ${VOSTEL_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
endif()

# Manual pages are installed compressed, as Debian wants them (gzip -n: no time stamp).
find_program(GZIP gzip REQUIRED)
set(manual_pages)
foreach(program ${VOSTEL_PROGRAMS})
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
  configure_file(${packaging}/man/${program}.1.in ${page} @ONLY)
  add_custom_command(OUTPUT ${page}.gz COMMAND ${GZIP} -9nkf ${page} DEPENDS ${page}
                     COMMENT "Compressing ${program}.1")
  list(APPEND manual_pages ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  if(NOT program STREQUAL "vostel")
    install(FILES ${packaging}/completions/vostel.bash RENAME ${program}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  endif()
endforeach()

add_custom_target(manual_pages ALL DEPENDS ${manual_pages})
add_dependencies(programs manual_pages)

# The licence as share/doc/vostel/copyright, in Debian's machine-readable format:
# its terms are LICENSE's text from "Permission", indented, blank lines as " .".
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^.*\n(Permission is hereby granted)" "\\1" terms "${licence}")
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " VOSTEL_LICENSE_TERMS " ${terms}")
configure_file(${packaging}/copyright.in copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vostel)

include(cmake/package.cmake)
