# How the project's libraries are made. Sources include "folder/File.h" from the
# source root; an installed program finds the same spellings under include/kv.
# Every library also gets the name kv::<name without kv_>, the one a program links
# (kv::runtime), the same in the tree, as a subproject and installed.
#
#   kip_pure_library(name sources...)      no SDL, no OpenGL; warns about shadowing
#   kip_platform_library(name sources...)  a platform back-end or the command library
#   kip_pure_test(name sources...)         a test of pure libraries, checked by the linker
function(kip_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
                                            $<INSTALL_INTERFACE:include/kv>)
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
