# The libraries the runtime links, found the same way by its own build and by the
# installed package (kvConfig.cmake): SDL2, SDL2_mixer and liblzo2 through
# pkg-config (and pixman, which scales the frame on the processor), OpenGL (GLVND) and X11 through CMake's own modules. The targets are
# global, so a project that adds the runtime as a subproject links them too.
find_package(PkgConfig REQUIRED)
foreach(prefix_and_module SDL2=sdl2 SDL2_MIXER=SDL2_mixer LZO2=lzo2 PIXMAN=pixman-1)
  string(REPLACE "=" ";" pair ${prefix_and_module})
  list(GET pair 0 prefix)
  list(GET pair 1 module)
  if(NOT TARGET PkgConfig::${prefix})
    pkg_check_modules(${prefix} REQUIRED IMPORTED_TARGET GLOBAL ${module})
  endif()
endforeach()

# A project around the runtime may have found them already: only the targets made
# here are promoted (a target of another directory cannot be).
set(kv_found_here)
foreach(target OpenGL::GL OpenGL::OpenGL OpenGL::GLX X11::X11 X11::Xext)
  if(NOT TARGET ${target})
    list(APPEND kv_found_here ${target})
  endif()
endforeach()
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED)
find_package(X11 REQUIRED)
foreach(target ${kv_found_here})
  if(TARGET ${target})
    set_target_properties(${target} PROPERTIES IMPORTED_GLOBAL TRUE)
  endif()
endforeach()
