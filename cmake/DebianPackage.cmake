# cpack -G DEB: the three programs, the desktop entry with the .usr project type, the icon, the
# manual pages, the completion, the README and the example project, stripped, with the copyright
# file and the changelog a Debian package carries. The libraries the programs link decide the
# dependencies (dpkg-shlibdeps).
set(VAROK_MAINTAINER "VarokConfig maintainers <maintainers@varokconfig.example>")
# The package's own revision of the release: the version is PROJECT_VERSION-VAROK_DEBIAN_RELEASE.
set(VAROK_DEBIAN_RELEASE 1)
set(VAROK_DEBIAN_VERSION ${PROJECT_VERSION}-${VAROK_DEBIAN_RELEASE})

# The changelog's date is the configure time, or SOURCE_DATE_EPOCH when it is set; gzip -n leaves
# out the name and the time stamp, so the same text gives the same bytes.
string(TIMESTAMP VAROK_DEBIAN_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(debian ${CMAKE_BINARY_DIR}/debian)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${debian}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${debian}/changelog @ONLY)
find_program(VAROK_GZIP gzip REQUIRED)
execute_process(COMMAND ${VAROK_GZIP} -n -9 -c ${debian}/changelog OUTPUT_FILE ${debian}/changelog.Debian.gz
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${debian}/copyright ${debian}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/varokconfig)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME varokconfig)

set(CPACK_PACKAGE_NAME varokconfig)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VAROK_DEBIAN_RELEASE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration editor for the VERDA voice-alarm controller")
# The extended description as dpkg shows it: lines of at most 79 characters (cpack indents each).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Edits the configuration of the central controller of a VERDA voice-alarm and\n"
       "evacuation system: the installed units, the stages of each alarm input, the\n"
       "evacuation time, and the controller's 2048-byte configuration image, read and\n"
       "written over a serial line. Includes the command-line tool varokconfig-cli and\n"
       "the simulated controller verda-sim.")
set(CPACK_PACKAGE_CONTACT "${VAROK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VAROK_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# xdg-utils opens the report in the desktop's text editor; the editor works without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
include(CPack)
