# The libraries the runtime links, found the same way by its own build and by the
# installed package (kvConfig.cmake): SDL2, SDL2_mixer and liblzo2 through
# pkg-config, OpenGL (GLVND) and X11 through CMake's own modules. The targets are
# global, so a project that adds the runtime as a subproject links them too.
find_package(PkgConfig REQUIRED)
foreach(prefix_and_module SDL2=sdl2 SDL2_MIXER=SDL2_mixer LZO2=lzo2)
  string(REPLACE "=" ";" pair ${prefix_and_module})
  list(GET pair 0 prefix)
  list(GET pair 1 module)
  if(NOT TARGET PkgConfig::${prefix})
    pkg_check_modules(${prefix} REQUIRED IMPORTED_TARGET GLOBAL ${module})
  endif()
endforeach()

set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED)
find_package(X11 REQUIRED)
foreach(target OpenGL::GL OpenGL::OpenGL OpenGL::GLX X11::X11)
  if(TARGET ${target})
    get_target_property(already_global ${target} IMPORTED_GLOBAL)
    if(NOT already_global)
      set_target_properties(${target} PROPERTIES IMPORTED_GLOBAL TRUE)
    endif()
  endif()
endforeach()
