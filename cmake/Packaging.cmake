# Installing Pyrelle as a desktop program: the files a desktop and the package
# manager look for, made at build time from the program itself (its icon
# drawing, its --help, its headless mode), install rules, checks of the
# installed tree, and the Debian package (CPack).
include(GNUInstallDirs)

set(pkg_data ${CMAKE_BINARY_DIR}/data)

# Icons: the program's own drawing at the desktop's sizes, and as SVG.
add_executable(export_icon tools/export_icon.cpp)
target_link_libraries(export_icon PRIVATE pyrelle_res Qt6::Gui)
set(icon_sizes 32 48 64 128 256)
set(icon_files ${pkg_data}/icons/scalable/apps/${PYRELLE_APP_ID}.svg)
foreach(size ${icon_sizes})
  list(APPEND icon_files ${pkg_data}/icons/${size}x${size}/apps/${PYRELLE_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${pkg_data}/icons
  COMMAND export_icon ${pkg_data}/icons ${PYRELLE_APP_ID} ${icon_sizes}
  DEPENDS export_icon
  COMMENT "Exporting the icon"
  VERBATIM)
set(desktop_files ${icon_files})

# The man page, from --help and --version, so that it cannot drift from them.
find_program(HELP2MAN help2man)
if(HELP2MAN)
  add_custom_command(OUTPUT ${pkg_data}/pyrelle.1.gz
    COMMAND ${HELP2MAN} --no-info --section=1 --source=Pyrelle
            "--name=run a furnace's temperature program through the parallel port"
            --include=${CMAKE_SOURCE_DIR}/data/pyrelle.h2m --output=${pkg_data}/pyrelle.1 $<TARGET_FILE:pyrelle>
    COMMAND gzip -n -9 -f ${pkg_data}/pyrelle.1
    DEPENDS pyrelle ${CMAKE_SOURCE_DIR}/data/pyrelle.h2m
    COMMENT "Writing the man page from pyrelle --help"
    VERBATIM)
  list(APPEND desktop_files ${pkg_data}/pyrelle.1.gz)
  install(FILES ${pkg_data}/pyrelle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: no man page (scripts/deps.sh installs it)")
endif()

# The AppStream screenshot: the main window mid-run, made by the headless
# mode. Software centres fetch it from PYRELLE_SCREENSHOT_URL, where it is
# published; it is not installed.
set(PYRELLE_SCREENSHOT_URL "https://pyrelle.github.io/screenshots/main-window.png"
    CACHE STRING "Where build/data/screenshots/main-window.png is published")
add_custom_command(OUTPUT ${pkg_data}/screenshots/main-window.png
  COMMAND ${CMAKE_COMMAND} -E make_directory ${pkg_data}/screenshots
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen XDG_STATE_HOME=${pkg_data}/screenshots/state
          $<TARGET_FILE:pyrelle>
          --headless --script ${CMAKE_SOURCE_DIR}/data/screenshot.script
  WORKING_DIRECTORY ${pkg_data}/screenshots
  DEPENDS pyrelle ${CMAKE_SOURCE_DIR}/data/screenshot.script
  COMMENT "Taking the screenshot of the main window mid-run"
  VERBATIM)
list(APPEND desktop_files ${pkg_data}/screenshots/main-window.png)

configure_file(data/pyrelle.desktop.in ${pkg_data}/${PYRELLE_APP_ID}.desktop @ONLY)
configure_file(data/pyrelle.metainfo.xml.in ${pkg_data}/${PYRELLE_APP_ID}.metainfo.xml @ONLY)
add_custom_target(desktop_files ALL DEPENDS ${desktop_files})

install(TARGETS pyrelle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${pkg_data}/${PYRELLE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg_data}/${PYRELLE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${pkg_data}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
# systemd and udev read these under /usr/lib (and /etc), whatever the prefix.
install(FILES data/modules-load.conf DESTINATION lib/modules-load.d RENAME pyrelle.conf)
install(FILES data/70-pyrelle-parport.rules DESTINATION lib/udev/rules.d)

if(PYRELLE_TESTS)
  set(check_root ${CMAKE_BINARY_DIR}/install-check)
  add_test(NAME install_tree
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/install_tree.sh ${CMAKE_BINARY_DIR} ${check_root}
            ${PYRELLE_APP_ID} ${icon_sizes})
  set_tests_properties(install_tree PROPERTIES FIXTURES_SETUP installed)
  add_test(NAME desktop_entry_valid
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/validate.sh desktop-file-validate
            ${check_root}/usr/share/applications/${PYRELLE_APP_ID}.desktop)
  add_test(NAME metainfo_valid
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/validate.sh appstreamcli validate --no-net --pedantic
            ${check_root}/usr/share/metainfo/${PYRELLE_APP_ID}.metainfo.xml)
  add_test(NAME icon_svg_drawn
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/icon_svg.sh $<TARGET_FILE:export_icon>
            ${check_root}/usr/share/icons/hicolor/scalable/apps/${PYRELLE_APP_ID}.svg ${CMAKE_BINARY_DIR})
  set_tests_properties(desktop_entry_valid metainfo_valid icon_svg_drawn PROPERTIES
    FIXTURES_REQUIRED installed SKIP_RETURN_CODE 77)
  add_test(NAME deb_package
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/deb_package.sh ${CMAKE_BINARY_DIR} ${check_root})
  set_tests_properties(deb_package PROPERTIES FIXTURES_REQUIRED installed SKIP_RETURN_CODE 77)
  add_test(NAME version COMMAND pyrelle --version)
  set_tests_properties(version PROPERTIES PASS_REGULAR_EXPRESSION "^pyrelle ${PROJECT_VERSION}\n$")
endif()

# The Debian package: cpack -G DEB in a build folder (scripts/package.sh).
set(PYRELLE_MAINTAINER "The Pyrelle developers" CACHE STRING "The Debian package's Maintainer field")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pyrelle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${PYRELLE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "furnace temperature program run through the parallel port")
# The summary is the first line; this the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pyrelle supervises and drives a heating process through the PC's parallel
port. It reads a stand-alone temperature instrument by sampling the clock and
data lines of its seven-segment display, runs a four-segment temperature
program by switching a heating element once a second, and shows the run as a
chart and a status line. On Abort it writes the run's samples to a text file.
.
Without a port, a simulated instrument and furnace stand in for the hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds the window system through plugins, which no shared library names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_STRIP_FILES ON)
include(CPack)
