# How the project's libraries are made. Every library names the source root as its
# include directory (sources include "folder/File.h"), so there is no global path.
#
#   kip_pure_library(name sources...)      no SDL, no OpenGL; warns about shadowing
#   kip_platform_library(name sources...)  a platform back-end or the command library
#   kip_pure_test(name sources...)         a test of pure libraries, checked by the linker
function(kip_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
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
