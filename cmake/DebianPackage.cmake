# cpack -G DEB: the three programs, the desktop entry with the .usr project type, the icon, the
# manual pages, the completion, the README and the example project, stripped. The libraries the
# programs link decide the dependencies (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME varokconfig)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration editor for the VERDA voice-alarm controller")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Edits the configuration of the central controller of a VERDA voice-alarm and evacuation system: "
       "the installed units, the stages of each alarm input, the evacuation time, and the controller's "
       "2048-byte configuration image, read and written over a serial line. Includes the command-line "
       "tool varokconfig-cli and the simulated controller verda-sim.")
set(CPACK_PACKAGE_CONTACT "VarokConfig developers <varokconfig@localhost>")
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
