# The Debian package: `cpack -G DEB` in a build directory.
#
# Its version is the program's own (zarnVersion in src/shell/Program.cpp),
# which reads like `git describe`: "<release>-<commits>-g<hash>". dpkg would
# take everything after the last hyphen for the Debian revision, so it
# becomes "<release>+<commits>.g<hash>": "+" sorts after the bare release and
# before the next one, and the commit counts compare as numbers.
file(STRINGS ${CMAKE_SOURCE_DIR}/src/shell/Program.cpp version_line REGEX "zarnVersion = \"")
string(REGEX REPLACE ".*zarnVersion = \"([^\"]*)\".*" "\\1" ZARN_VERSION "${version_line}")
if(ZARN_VERSION MATCHES "^([0-9]+(\\.[0-9]+)*)-([0-9]+)-g([0-9a-f]+)$")
    set(ZARN_DEB_VERSION "${CMAKE_MATCH_1}+${CMAKE_MATCH_3}.g${CMAKE_MATCH_4}")
elseif(ZARN_VERSION MATCHES "^[0-9]+(\\.[0-9]+)*$")
    set(ZARN_DEB_VERSION "${ZARN_VERSION}")
else()
    message(FATAL_ERROR "No package version from the program's version \"${ZARN_VERSION}\"")
endif()

set(ZARN_DEB_RELEASE 1)
set(ZARN_MAINTAINER "The Zarn authors <zarn@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

# Debian wants a changelog beside the copyright file, compressed like the
# manual page.
configure_file(${CMAKE_SOURCE_DIR}/build/linux/changelog.Debian.in changelog.Debian @ONLY)
add_custom_command(OUTPUT changelog.Debian.gz
    COMMAND gzip -9nc changelog.Debian > changelog.Debian.gz
    DEPENDS ${CMAKE_BINARY_DIR}/changelog.Debian VERBATIM)
add_custom_target(zarn_changelog DEPENDS changelog.Debian.gz)
add_dependencies(zarn zarn_changelog)
install(FILES ${CMAKE_BINARY_DIR}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarn)
set(CPACK_PACKAGE_VERSION ${ZARN_DEB_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Klondike solitaire with winnable deals")
set(CPACK_PACKAGE_DESCRIPTION
"The classic patience with one deck for the Linux desktop: build the four
foundations up by suit, move cards between seven columns in descending
order and alternating colours, and draw one or three cards at a time from
the stock. Every deal is proven winnable before it is shown.

Drag and drop, click to move, double-click or right-click to a foundation,
undo, replay of a deal, score and clock, sound, full screen and touch
input. The user interface is in German.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZARN_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZARN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/zarn/solitaire)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Under Wayland SDL draws the window's title bar through a libdecor plugin;
# without one the window has none.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libdecor-0-plugin-1-cairo)

include(CPack)
