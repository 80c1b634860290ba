# What a desktop needs beside the two programs: the menu entry, the icons, the
# AppStream metadata and the manual pages.
include(GNUInstallDirs)

set(VILTA_APP_ID io.github.vilta_monitor.vilta_monitor)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)

# Icons: every hicolor size is drawn from the one scalable source.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_source ${PROJECT_SOURCE_DIR}/resources/icons/vilta-monitor.svg)
set(generated_files)
foreach(size 16 32 48 64 128 256)
  set(png ${generated}/icons/${size}x${size}/vilta-monitor.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${icon_source}
    DEPENDS ${icon_source} VERBATIM)
  list(APPEND generated_files ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${icon_source} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages are installed compressed, without time stamps, so that
# two builds of one source give the same package.
find_program(GZIP gzip REQUIRED)
set(gzip_sources)
foreach(page vilta-monitor.1 instrument-emulator.1)
  configure_file(${packaging}/${page} ${generated}/${page} @ONLY)
  list(APPEND gzip_sources ${generated}/${page})
  install(FILES ${generated}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
foreach(source ${gzip_sources})
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${generated}/${name}.gz
    COMMAND ${GZIP} -9 -n -c ${source} > ${generated}/${name}.gz
    DEPENDS ${source} VERBATIM)
  list(APPEND generated_files ${generated}/${name}.gz)
endforeach()
add_custom_target(vilta_generated_files ALL DEPENDS ${generated_files})

install(FILES ${PROJECT_SOURCE_DIR}/resources/vilta-monitor.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${VILTA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
