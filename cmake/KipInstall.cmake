# What `cmake --install` puts on a Linux desktop (component "game"): the game (its
# media packed onto it), its .desktop entry and its icons in the hicolor theme; and
# the Debian packages made from the same install (`cpack -G DEB`), the game's and
# the development kit's (component "dev", cmake/KvKit.cmake), whose dependencies
# dpkg-shlibdeps reads from the libraries kip and kvpack link.
include(GNUInstallDirs)

install(TARGETS kip RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/game/kip.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
foreach(size 32 64 128)
  install(FILES ${KIP_ICON_DIR}/kip_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kip.png COMPONENT game)
endforeach()

# Each package's copyright file and changelog, and the manual pages, compressed,
# where Debian's tools look for them.
set(KIP_PACKAGE_MAINTAINER "The kip developers <maintainers@users.noreply.c-seed-49f5fd53.example>"
    CACHE STRING "The Maintainer field of the Debian packages")
set(kip_debian_sources ${PROJECT_SOURCE_DIR}/cmake/debian)
set(kip_debian_files ${PROJECT_BINARY_DIR}/debian)
set(kip_compressed)
foreach(file changelog kip.6 kvpack.1)
  add_custom_command(OUTPUT ${kip_debian_files}/${file}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${kip_debian_files}
    COMMAND sh -c "gzip -9n < '${kip_debian_sources}/${file}' > '${kip_debian_files}/${file}.gz'"
    DEPENDS ${kip_debian_sources}/${file}
    VERBATIM)
  list(APPEND kip_compressed ${kip_debian_files}/${file}.gz)
endforeach()
add_custom_target(kip_debian_files ALL DEPENDS ${kip_compressed})
foreach(package_and_component kip=game libkv-dev=dev)
  string(REPLACE "=" ";" pair ${package_and_component})
  list(GET pair 0 package)
  list(GET pair 1 component)
  install(FILES ${kip_debian_sources}/copyright ${kip_debian_files}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
install(FILES ${kip_debian_files}/kip.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
install(FILES ${kip_debian_files}/kvpack.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT dev)

# Two Debian packages from the two install components: kip (the game) and libkv-dev
# (the development kit).
set(CPACK_PACKAGE_NAME kip)
set(CPACK_PACKAGE_VENDOR "The kip developers")
set(CPACK_PACKAGE_CONTACT "${KIP_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KIP_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY kip)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME kip)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_COMPONENT_GAME_DESCRIPTION
    "Side-scrolling platform shooter on the space station Delta 7\n\
Kip the astronaut frees the space station Delta 7 from four kinds of aliens\n\
over eight stages: walk, climb ladders, jump and shoot, with a radar of the\n\
whole level.")
# SDL opens the OpenGL libraries at run time (GLX in a window, EGL headless), so
# dpkg-shlibdeps cannot see them; Mesa's drivers give a renderer on any machine.
# libmpv, opened only when a program plays a movie, is not needed: kip plays none.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "libgl1, libegl1")
set(CPACK_DEBIAN_GAME_PACKAGE_RECOMMENDS "libgl1-mesa-dri")

# The kit's static libraries need, in every program linked with them, the -dev
# packages of what they link; kvpack's own libraries come from dpkg-shlibdeps.
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libkv-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "2D game runtime kv: development kit\n\
The kv runtime's static libraries and headers (program frame, sprites, bitmap\n\
fonts, keys, sounds, a media pack with LZO compression, file commands, path\n\
finding), the media packer kvpack, the CMake package kv with kv_add_game, and\n\
the pkg-config file kv.pc.")
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS
    "libsdl2-dev, libsdl2-mixer-dev, liblzo2-dev, libpixman-1-dev, libx11-dev, libxext-dev, libgl-dev, libegl1")
set(CPACK_DEBIAN_DEV_PACKAGE_RECOMMENDS "pkg-config, cmake, libgl1-mesa-dri")
include(CPack)
