# kv_add_game(NAME SOURCES file... [MEDIA folder]): a program on the runtime, linked
# with kv::runtime, with every file of the media folder (and its sub-folders) packed
# onto the executable by kvpack, so that the one file is the whole game. The pack's
# entries are named by the files' base names. Changed media relink the program and
# append the pack anew; a file added to the folder is seen at the next configure.
# Used in the runtime's own tree, as a subproject and from the installed package.
function(kv_add_game name)
  cmake_parse_arguments(PARSE_ARGV 1 game "" "MEDIA" "SOURCES")
  if(game_UNPARSED_ARGUMENTS OR NOT game_SOURCES)
    message(FATAL_ERROR "kv_add_game(${name} SOURCES file... [MEDIA folder]): "
                        "unexpected '${game_UNPARSED_ARGUMENTS}' or no SOURCES")
  endif()
  add_executable(${name} ${game_SOURCES})
  target_link_libraries(${name} PRIVATE kv::runtime)
  if(game_MEDIA)
    kv_pack_media_onto(${name} ${game_MEDIA})
  endif()
endfunction()

function(kv_pack_media_onto target folder)
  get_filename_component(folder ${folder} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT IS_DIRECTORY ${folder})
    message(FATAL_ERROR "kv_add_game(${target}): the MEDIA folder ${folder} does not exist")
  endif()
  file(GLOB_RECURSE files LIST_DIRECTORIES false CONFIGURE_DEPENDS ${folder}/*)
  list(SORT files)
  if(files)
    kv_append_pack(${target} ${files})
  endif()
endfunction()

# kv_append_pack(target files...): after every link of the target, kvpack appends a
# pack of the files to it; a changed file relinks the target.
function(kv_append_pack target)
  get_target_property(packer kv::kvpack ALIASED_TARGET)
  if(packer)
    add_dependencies(${target} ${packer})
  endif()
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${ARGN})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND $<TARGET_FILE:kv::kvpack> append $<TARGET_FILE:${target}> ${ARGN}
    COMMENT "Appending the media pack to ${target}"
    VERBATIM)
endfunction()
