# What a desktop and a package manager need beside the two programs: the menu entry,
# the icons, the AppStream metadata, the manual pages and the Debian documentation,
# and CPack's settings for the Debian package that scripts/package builds.
include(GNUInstallDirs)

set(VILTA_APP_ID io.github.vilta_monitor.vilta_monitor)
set(VILTA_PACKAGE_MAINTAINER "The VILTA Monitor developers <vilta-monitor@example.org>"
  CACHE STRING "Maintainer field of the Debian package")
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)

# The changelog's and the metadata's newest entries name the version they describe;
# a version bump without them would ship a package that contradicts itself.
file(STRINGS ${packaging}/changelog changelog_top LIMIT_COUNT 1)
file(READ ${packaging}/${VILTA_APP_ID}.metainfo.xml metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\"" _ "${metainfo}")
set(metainfo_version "${CMAKE_MATCH_1}")
string(REGEX MATCH "^vilta-monitor \\(([^)]*)\\) " _ "${changelog_top}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION OR NOT metainfo_version STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog and the newest <release> of packaging/"
    "${VILTA_APP_ID}.metainfo.xml must describe version ${PROJECT_VERSION}")
endif()

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

# Manual pages and the changelog are installed compressed, without time stamps, so that
# two builds of one source give the same package.
find_program(GZIP gzip REQUIRED)
set(gzip_sources ${packaging}/changelog)
set(pages vilta-monitor.1 instrument-emulator.1)
if(TARGET vilta-logger)
  list(APPEND pages vilta-logger.1)
  # An example unit for a logger that starts with the machine, for the administrator to copy.
  install(FILES ${packaging}/vilta-logger.service
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vilta-monitor/examples)
endif()
foreach(page ${pages})
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
# The measurement file type (.vilta); the package's triggers update the MIME database.
install(FILES ${PROJECT_SOURCE_DIR}/resources/vilta-monitor-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME vilta-monitor.xml)
install(FILES ${packaging}/${VILTA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${generated}/changelog.gz ${packaging}/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vilta-monitor)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vilta-monitor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VILTA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Russian texts for its standard dialogs are data files that shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(logger_description "")
if(TARGET vilta-logger)
  set(logger_description "vilta-logger measures without windows, as a service that starts with
the machine (an example systemd unit is included).

")
endif()
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "monitor for portable environmental measuring instruments
ВИЛТА Монитор (VILTA Monitor) reads a portable instrument that measures air
temperature, relative humidity, air speed, illuminance, luminance and
ultraviolet irradiance over a serial port. It finds the instrument on COM1 to
COM8, detects its model and measuring head, polls it at an interval or within
a daily time window, shows the values with alarm limits, derives wet-bulb and
dew-point temperatures and plots every channel on a zoomable chart that is
also the measurement log. It shows histograms, converts air speed into the
air flow through a duct, exports the log to .xls or .xlsx workbooks and saves
and prints the chart. The user interface is in Russian.

${logger_description}The package also carries instrument-emulator, which plays the instrument on a
pseudo-terminal so that the monitor can be tried without hardware.")
include(CPack)
