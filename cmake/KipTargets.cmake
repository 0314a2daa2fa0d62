# How the project's libraries are made. Sources include "folder/File.h"; each library
# exports only its own headers, from a folder of links the build makes
# (kv_include/<library>/<folder>/), so a library sees just the headers of itself and
# of what it links, and a pure library cannot reach a platform header. An installed
# program finds the same spellings under include/kv. Every library also gets the
# name kv::<name without kv_>, the one a program links (kv::runtime), the same in
# the tree, as a subproject and installed.
#
#   kip_pure_library(name sources...)      no SDL, no OpenGL; warns about shadowing
#   kip_platform_library(name sources...)  a platform back-end or the command library
#   kip_pure_test(name sources...)         a test of pure libraries, checked by the linker
function(kip_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC $<INSTALL_INTERFACE:include/kv>)
  kv_name_library(${name})
endfunction()

# The kv:: alias and the name the library has in the installed package; the
# library is remembered for the install (KV_LIBRARIES).
function(kv_name_library name)
  string(REGEX REPLACE "^kv_" "" short ${name})
  add_library(kv::${short} ALIAS ${name})
  set_target_properties(${name} PROPERTIES EXPORT_NAME ${short})
  set_property(GLOBAL APPEND PROPERTY KV_LIBRARIES ${name})
endfunction()

function(kip_pure_library name)
  kip_library(${name} ${ARGN})
  target_compile_options(${name} PRIVATE -Wshadow)
  kv_refuse_platform_includes(${name} ${ARGN})
endfunction()

# SDL's headers are only on the platform libraries' include path; OpenGL's, X11's,
# EGL's and libmpv's lie in /usr/include for everyone, so a pure library's sources
# are read for them.
function(kv_refuse_platform_includes name)
  foreach(source ${ARGN})
    get_filename_component(path ${source} ABSOLUTE)
    file(STRINGS ${path} platform_includes REGEX "^[ \t]*#[ \t]*include[ \t]*<(SDL|GL/|X11/|EGL/|mpv/)")
    if(platform_includes)
      message(FATAL_ERROR "${name} is a pure library, but ${source} includes a platform header: "
                          "${platform_includes}")
    endif()
  endforeach()
endfunction()

# kv_public_headers(library headers...): in a folder that holds two libraries, the
# headers that belong to this one (the pure part); the folder's other library owns
# the rest.
function(kv_public_headers name)
  set_property(TARGET ${name} PROPERTY KV_HEADERS ${ARGN})
endfunction()

# Once every library is defined: each one's include folder of links to its headers.
function(kv_stage_public_headers)
  get_property(libraries GLOBAL PROPERTY KV_LIBRARIES)
  foreach(library ${libraries})
    kv_owned_headers(${library} "${libraries}" folder headers)
    set(stage ${PROJECT_BINARY_DIR}/kv_include/${library})
    file(REMOVE_RECURSE ${stage})
    file(MAKE_DIRECTORY ${stage}/${folder})
    foreach(header ${headers})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder}/${header} ${stage}/${folder}/${header} SYMBOLIC)
    endforeach()
    get_target_property(type ${library} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      target_include_directories(${library} INTERFACE $<BUILD_INTERFACE:${stage}>)
    else()
      target_include_directories(${library} PUBLIC $<BUILD_INTERFACE:${stage}>)
    endif()
  endforeach()
endfunction()

# The library's folder (relative to the source root) and the headers it owns there.
function(kv_owned_headers library libraries folder_out headers_out)
  get_target_property(dir ${library} SOURCE_DIR)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
  get_target_property(headers ${library} KV_HEADERS)
  if(NOT headers)
    file(GLOB headers RELATIVE ${dir} CONFIGURE_DEPENDS ${dir}/*.h)
    foreach(other ${libraries})
      get_target_property(other_dir ${other} SOURCE_DIR)
      get_target_property(claimed ${other} KV_HEADERS)
      if(other_dir STREQUAL dir AND claimed)
        list(REMOVE_ITEM headers ${claimed})
      endif()
    endforeach()
  endif()
  set(${folder_out} ${folder} PARENT_SCOPE)
  set(${headers_out} ${headers} PARENT_SCOPE)
endfunction()

function(kip_platform_library name)
  kip_library(${name} ${ARGN})
endfunction()

# ctest checks with the dynamic linker that the executable loads no SDL and no
# OpenGL; it runs without a display.
function(kip_pure_test name)
  add_executable(${name} ${ARGN})
  gtest_discover_tests(${name} PROPERTIES TIMEOUT 120)
  add_test(NAME ${name}.links_no_platform
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/check_pure_links.sh $<TARGET_FILE:${name}>)
endfunction()
