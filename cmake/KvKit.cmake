# The development kit, `cmake --install` component "dev": the runtime's libraries
# and public headers (under include/kv, so a program includes "commands/kv.h" as
# the game does), kvpack, the CMake package kv (find_package(kv): kv::runtime and
# kv_add_game) and the pkg-config file kv.pc.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KV_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/kv)
get_property(kv_libraries GLOBAL PROPERTY KV_LIBRARIES)
# The folders the runtime's libraries are defined in, each installed with its headers.
set(KV_HEADER_FOLDERS "")
foreach(library ${kv_libraries})
  get_target_property(source_dir ${library} SOURCE_DIR)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${source_dir})
  list(APPEND KV_HEADER_FOLDERS ${folder})
endforeach()
list(REMOVE_DUPLICATES KV_HEADER_FOLDERS)

# A program needs C++17 for the headers; the sanitizer build's libraries need the
# sanitizers' run-time libraries in every program that links them.
target_compile_features(kv_runtime INTERFACE cxx_std_17)
set(KV_EXTRA_LINK_FLAGS "")
if(CMAKE_BUILD_TYPE STREQUAL "Sanitize")
  set(KV_EXTRA_LINK_FLAGS "-fsanitize=address,undefined")
  target_link_options(kv_runtime INTERFACE $<INSTALL_INTERFACE:${KV_EXTRA_LINK_FLAGS}>)
endif()

install(TARGETS ${kv_libraries} kvpack EXPORT kvTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT dev)
foreach(folder ${KV_HEADER_FOLDERS})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kv/${folder} COMPONENT dev
          FILES_MATCHING PATTERN "*.h")
endforeach()
install(FILES ${KV_GENERATED_INCLUDE_DIR}/runtime/KvVersion.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kv/runtime COMPONENT dev)

install(EXPORT kvTargets NAMESPACE kv:: DESTINATION ${KV_PACKAGE_DIR} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kvConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/kvConfig.cmake
                              INSTALL_DESTINATION ${KV_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/kvConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/kvConfig.cmake ${PROJECT_BINARY_DIR}/kvConfigVersion.cmake
              ${PROJECT_SOURCE_DIR}/cmake/KvDependencies.cmake
              ${PROJECT_SOURCE_DIR}/cmake/KvAddGame.cmake
        DESTINATION ${KV_PACKAGE_DIR} COMPONENT dev)

# kv.pc: the archives in link order (each before the ones it needs), the libraries
# under them by their own pkg-config names. The prefix is found from the file's own
# place, so the kit may be moved.
# The runtime's archives (header-only libraries have none) and the ones each links
# directly, aliases resolved.
function(kv_archive_links library out)
  get_target_property(links ${library} LINK_LIBRARIES)
  set(archives "")
  foreach(link IN LISTS links)
    if(TARGET ${link})
      get_target_property(aliased ${link} ALIASED_TARGET)
      if(aliased)
        set(link ${aliased})
      endif()
      get_target_property(kind ${link} TYPE)
      if(link IN_LIST kv_libraries AND NOT kind STREQUAL "INTERFACE_LIBRARY")
        list(APPEND archives ${link})
      endif()
    endif()
  endforeach()
  set(${out} ${archives} PARENT_SCOPE)
endfunction()

# Link order worked out from the build's own links: an archive is placed once no
# archive still to be placed links it, so each comes before the ones it needs.
function(kv_archives_in_link_order out)
  set(pending "")
  foreach(library ${kv_libraries})
    get_target_property(kind ${library} TYPE)
    if(NOT kind STREQUAL "INTERFACE_LIBRARY")
      list(APPEND pending ${library})
      kv_archive_links(${library} links_${library})
    endif()
  endforeach()
  set(order "")
  while(pending)
    set(placed "")
    foreach(library ${pending})
      set(needed FALSE)
      foreach(other ${pending})
        if(library IN_LIST links_${other})
          set(needed TRUE)
        endif()
      endforeach()
      if(NOT needed)
        list(APPEND placed ${library})
      endif()
    endforeach()
    if(NOT placed)
      message(FATAL_ERROR "the runtime's libraries link each other in a circle: ${pending}")
    endif()
    list(APPEND order ${placed})
    list(REMOVE_ITEM pending ${placed})
  endwhile()
  set(${out} ${order} PARENT_SCOPE)
endfunction()

kv_archives_in_link_order(KV_PC_ARCHIVES)
list(TRANSFORM KV_PC_ARCHIVES PREPEND "-l" OUTPUT_VARIABLE kv_pc_flags)
string(JOIN " " KV_PC_LIBS ${kv_pc_flags} ${KV_EXTRA_LINK_FLAGS} -l${CMAKE_DL_LIBS})
file(RELATIVE_PATH KV_PC_PREFIX_FROM_FILE /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/kv.pc.in ${PROJECT_BINARY_DIR}/kv.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kv.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
