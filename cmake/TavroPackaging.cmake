# `cpack -G DEB` in the build folder makes the Debian package of what `cmake --install` installs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrodesk)
set(CPACK_PACKAGE_VENDOR "The TavroDesk developers")
set(CPACK_PACKAGE_CONTACT "TavroDesk developers <tavrodesk@tavro.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Records the window in front and books the time on Tavro tasks")
set(CPACK_PACKAGE_DESCRIPTION "TavroDesk is an automatic time tracker for the Linux desktop that lives in
the system tray. It keeps every stretch of one window title as a time entry in a local database
and links entries to tasks of the Tavro time-tracking service.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tavro.example/")
# Library dependencies come from the binary; plugins Qt loads at run time cannot be found that way.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnome-keyring, hicolor-icon-theme, qt6-wayland")
include(CPack)
