# The Debian package: scripts/package runs CPack with these settings on a Release build.
# Dependencies come from the binaries (dpkg-shlibdeps), so they name the Qt 6 libraries the
# build linked against.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VELOR_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velor Decisions developers")
set(CPACK_PACKAGE_CONTACT "${VELOR_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${VELOR_HOMEPAGE}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "decision analysis with incomplete preference information")
# Debian's long description, below the summary: paragraphs separated by "." lines, every line
# indented by CPack.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Velor Decisions helps to choose among alternatives when the preferences behind
the choice are only partly known. A model is a value tree of goals and
measurable attributes, the alternatives with what each achieves on every
attribute, and incomplete preference statements: rankings of levels, bounds on
ratios of value differences and intervals of weights. No exact scores or
weights are asked for.
.
By linear programming the program computes the interval of values of every
alternative on every goal, the interval of every weight, which alternatives
dominate which, each alternative's maximum regret, and what the Maximax,
Maximin, Central Values and Minimax Regret rules recommend.
.
The package holds the desktop application (velor) and the command-line tool
velor-cli, which runs the same calculations in scripts.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELOR_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELOR_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
# Folders the package does not own (/usr, /usr/share, ...) carry the usual permissions.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
