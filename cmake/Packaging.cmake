# Installing the game and packaging it for Debian.
#
# `cmake --install <build> --prefix <dir>` gives <dir>/bin/textquest and
# <dir>/share/man/man6/textquest.6 (the "game" component).
#
# The Debian package follows Debian's layout for games instead: the binary in
# /usr/games and the man page gzipped in /usr/share/man/man6. Those two files
# are a second install component, "debian", left out of a plain install and
# the only one CPack installs, so `cpack -G DEB` in any build directory makes
# the right package without reconfiguring.
include(GNUInstallDirs)

set(TEXTQUEST_MAN_PAGE ${CMAKE_CURRENT_SOURCE_DIR}/doc/textquest.6)

install(TARGETS textquest RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT game)
install(FILES ${TEXTQUEST_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)

# The gzipped page: -n keeps the name and time out of the header, so the same
# page always gives the same bytes.
find_program(TEXTQUEST_GZIP gzip)
if(TEXTQUEST_GZIP)
  set(TEXTQUEST_MAN_GZ ${CMAKE_CURRENT_BINARY_DIR}/textquest.6.gz)
  add_custom_command(
    OUTPUT ${TEXTQUEST_MAN_GZ}
    COMMAND ${TEXTQUEST_GZIP} -9 -n -c ${TEXTQUEST_MAN_PAGE} > ${TEXTQUEST_MAN_GZ}
    DEPENDS ${TEXTQUEST_MAN_PAGE}
    COMMENT "Compressing the man page"
    VERBATIM)
  # Part of the default build, which CPack runs before it installs.
  add_custom_target(textquest_man_gz ALL DEPENDS ${TEXTQUEST_MAN_GZ})
  set(TEXTQUEST_DEB_MAN_PAGE ${TEXTQUEST_MAN_GZ})
else()
  set(TEXTQUEST_DEB_MAN_PAGE ${TEXTQUEST_MAN_PAGE})
endif()

install(TARGETS textquest RUNTIME DESTINATION games COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${TEXTQUEST_DEB_MAN_PAGE} DESTINATION share/man/man6 COMPONENT debian EXCLUDE_FROM_ALL)

set(TEXTQUEST_MAINTAINER "textquest maintainers <maintainers@users.noreply.c-seed-5d7c5213.example>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME textquest)
set(CPACK_PACKAGE_VENDOR "textquest")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TEXTQUEST_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small role-playing game for an 80x25 text console")
set(CPACK_PACKAGE_DESCRIPTION
    "textquest is a single-player role-playing game played in a terminal of 80 columns by 25 rows. "
    "You name a hero, who walks a village and the field outside it with three companions: "
    "Shyde the Archer, Rune the Knight and Kazik the Mage. Talk to the villagers, fight the "
    "soldiers who roam the field in turn-based battles, gain levels and learn spells. "
    "The game keeps nothing between runs. It needs a terminal of at least 80x25 and shows "
    "its code page 437 glyphs in UTF-8, with ASCII stand-ins in other locales.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Only the "debian" component of this build goes into the package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};textquest;debian;/")

set(CPACK_DEBIAN_PACKAGE_NAME textquest)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)   # textquest_1.0.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TEXTQUEST_MAINTAINER})
# The dependencies are what dpkg-shlibdeps finds the binary linking.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
