# Installing the ostrel program, and its Debian package (cpack -G DEB, see
# scripts/package.sh). The program finds the toolbar button at
# <program>/../share/ostrel/extension, so the two are installed together.
include(GNUInstallDirs)

if(NOT TARGET ostrel_program)
  return()
endif()

# The manual page, with the version filled in and compressed as Debian
# installs manual pages.
set(ostrel_manpage ${CMAKE_BINARY_DIR}/packaging/ostrel.1)
configure_file(${PROJECT_SOURCE_DIR}/packaging/ostrel.1 ${ostrel_manpage} @ONLY)
add_custom_command(
  OUTPUT ${ostrel_manpage}.gz
  COMMAND gzip -9 -n -c ${ostrel_manpage} > ${ostrel_manpage}.gz
  DEPENDS ${ostrel_manpage}
  COMMENT "Compressing the manual page")
add_custom_target(ostrel_manpage ALL DEPENDS ${ostrel_manpage}.gz)

install(TARGETS ostrel_program RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/extension/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/ostrel/extension)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ostrel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ostrel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ostrel_manpage}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ostrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "password manager that lives in the web browser")
set(CPACK_PACKAGE_CONTACT "Ostrel developers <ostrel@localhost>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The long description; cpack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Record a login once: open the site's login page, press Start Recording in
the Ostrel window and log in as usual. Later, Go To opens the site, fills
in the login and sends it. Chromium is driven over its DevTools pipe, with
a toolbar button of its own; the password file is encrypted with libsodium.
Up to 12 people share one password file.")
# The libraries the program links (Qt 6, libsodium, the C++ runtime) come
# from dpkg-shlibdeps; what it starts or loads at run time is named here:
# the browser, Qt's platform plugins and the font the window is laid out in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "chromium, qt6-qpa-plugins, fonts-liberation2 | fonts-liberation")
# A system information tool for the about box's System Info button.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "hardinfo | kinfocenter | gnome-control-center")
include(CPack)
