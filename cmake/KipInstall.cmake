# What `cmake --install` puts on a Linux desktop: the game (its media packed onto
# it), its .desktop entry and its icons in the hicolor theme; and the Debian
# package made from the same install (`cpack -G DEB`), whose dependencies
# dpkg-shlibdeps reads from the libraries kip links.
include(GNUInstallDirs)

install(TARGETS kip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/game/kip.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
foreach(size 32 64 128)
  install(FILES ${KIP_ICON_DIR}/kip_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kip.png COMPONENT game)
endforeach()

set(CPACK_PACKAGE_NAME kip)
set(CPACK_PACKAGE_VENDOR "The kip developers")
set(CPACK_PACKAGE_CONTACT "The kip developers <kip@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Side-scrolling platform shooter on the space station Delta 7")
set(CPACK_PACKAGE_DESCRIPTION
    "Kip the astronaut frees the space station Delta 7 from four kinds of aliens over eight stages: walk, climb ladders, jump and shoot, with a radar of the whole level.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY kip)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL opens the OpenGL libraries at run time (GLX in a window, EGL headless), so
# dpkg-shlibdeps cannot see them; Mesa's drivers give a renderer on any machine.
# libmpv, opened only when a program plays a movie, is not needed: kip plays none.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
include(CPack)
