# Run by CPack once it has installed the project into its staging folder, just
# before it builds the Debian package: turns the plain installation into the
# package's layout.

set(staging "${CPACK_TEMPORARY_DIRECTORY}")
set(usr "${staging}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(working_folder "${usr}/${CPACK_RADAR_DATA_DIR}")

# The settings become a conffile under /etc: an administrator edits them there,
# and dpkg keeps the edits across upgrades. The working folder links to them,
# so that a client started in it still finds them.
get_filename_component(settings_dir "${CPACK_RADAR_DEB_SETTINGS_FILE}" DIRECTORY)
file(MAKE_DIRECTORY "${staging}${settings_dir}")
file(RENAME "${working_folder}/clientSettings.xml" "${staging}${CPACK_RADAR_DEB_SETTINGS_FILE}")
file(CREATE_LINK "${CPACK_RADAR_DEB_SETTINGS_FILE}" "${working_folder}/clientSettings.xml" SYMBOLIC)

# The launcher and the session's service name those paths, which hold only
# inside the package.
set(RADAR_DEB_SETTINGS_FILE "${CPACK_RADAR_DEB_SETTINGS_FILE}")
set(RADAR_DEB_BIN_DIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_RADAR_BIN_DIR}")
set(RADAR_DEB_DATA_DIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_RADAR_DATA_DIR}")
configure_file("${CPACK_RADAR_PACKAGING_DIR}/radar-client.desktop.in"
  "${usr}/share/applications/radar-client.desktop" @ONLY)
configure_file("${CPACK_RADAR_PACKAGING_DIR}/radar-client.service.in"
  "${usr}/${CPACK_RADAR_USER_UNIT_DIR}/radar-client.service" @ONLY)

# Debian keeps manual pages, changelogs and documents of more than 4 KiB (the
# README) compressed, without a time stamp in the header.
file(GLOB pages "${usr}/${CPACK_RADAR_MAN_DIR}/man1/*.1")
set(doc "${usr}/share/doc/radar-client")
foreach(file IN LISTS pages ITEMS "${doc}/changelog" "${doc}/README.md")
  execute_process(COMMAND gzip -9n "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot compress ${file}")
  endif()
endforeach()
