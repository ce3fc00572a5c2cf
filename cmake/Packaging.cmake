# The Debian package: `cpack -G DEB` in a build folder builds
# radar-client_<version>_<arch>.deb (a cross build's toolchain file names
# the architecture) from what the install rules put in place,
# laid out for Debian by packaging/debian-layout.cmake. scripts/package.sh
# does it from a fresh Release build.

set(CPACK_PACKAGE_NAME radar-client)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Radar client maintainers <maintainers@users.noreply.c-seed-804923d2.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D radar display client, with a radar simulator")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories the install rules create get the usual mode whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
# Read here rather than named as CPACK_PACKAGE_DESCRIPTION_FILE, which CPack
# escapes for XML (an apostrophe would reach the control file as &apos;).
file(READ ${PROJECT_SOURCE_DIR}/packaging/description.txt CPACK_DEBIAN_PACKAGE_DESCRIPTION)
# Depends is computed from the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt 6 loads its Wayland platform as a plugin, which no library names: in a
# Wayland session the client runs natively with it, and through XWayland
# without. Recommended, since an X11 display needs none.
if(RADAR_QT_BUILT_WITH EQUAL 6)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
endif()

# The client's settings live under /etc as a conffile; the variables named
# CPACK_RADAR_* carry the layout to debian-layout.cmake.
set(CPACK_RADAR_DEB_SETTINGS_FILE /etc/radar-client/clientSettings.xml)
set(CPACK_RADAR_BIN_DIR ${CMAKE_INSTALL_BINDIR})
set(CPACK_RADAR_DATA_DIR ${RADAR_DATA_DIR})
# systemd's folder of user units under the prefix, the same on every
# architecture (not the multiarch library folder).
set(CPACK_RADAR_USER_UNIT_DIR lib/systemd/user)
set(CPACK_RADAR_MAN_DIR ${CMAKE_INSTALL_MANDIR})
set(CPACK_RADAR_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/debian-layout.cmake)

set(radar_conffiles ${PROJECT_BINARY_DIR}/packaging/conffiles)
file(WRITE ${radar_conffiles} "${CPACK_RADAR_DEB_SETTINGS_FILE}\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${radar_conffiles})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
