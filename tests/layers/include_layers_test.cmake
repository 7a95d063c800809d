# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a quoted #include in sampler/ reaches a layer that its folder's
# library does not link, directly or through the libraries it links: the
# allowed includes are read from target_link_libraries in each
# sampler/*/CMakeLists.txt (and wavlib/ for QuendalWav), so the check follows
# the build. The link graph itself must keep this order, siblings never
# linking each other:
#   wavlib < engine < devices | instrument < session < ui | batch < app
# Usage: cmake -DSOURCE_DIR=<checkout> -P include_layers_test.cmake

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(rank_wavlib 0)
set(rank_engine 1)
set(rank_devices 2)
set(rank_instrument 2)
set(rank_session 3)
set(rank_ui 4)
set(rank_batch 4)
set(rank_app 5)

# Each library folder, named as includes name it ("quendal/..." is wavlib).
file(GLOB folders LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR}/sampler ${SOURCE_DIR}/sampler/*)
set(layers wavlib)
set(dir_wavlib wavlib)
set(include_quendal wavlib)
foreach(folder IN LISTS folders)
  if(EXISTS ${SOURCE_DIR}/sampler/${folder}/CMakeLists.txt)
    list(APPEND layers ${folder})
    set(dir_${folder} sampler/${folder})
    set(include_${folder} ${folder})
  endif()
endforeach()

set(failures "")
foreach(layer IN LISTS layers)
  if(NOT DEFINED rank_${layer})
    string(APPEND failures "\n  sampler/${layer}: a folder with a CMakeLists.txt that the layer order does not name")
  endif()
endforeach()

# Targets to their folder: add_library / add_executable names and ALIAS names.
foreach(layer IN LISTS layers)
  file(READ ${SOURCE_DIR}/${dir_${layer}}/CMakeLists.txt text)
  string(REGEX REPLACE "#[^\n]*" "" text "${text}")
  set(text_${layer} "${text}")
  string(REGEX MATCHALL "add_(library|executable)\\([ \t\n]*[A-Za-z0-9_:]+" made "${text}")
  foreach(entry IN LISTS made)
    string(REGEX REPLACE "^add_(library|executable)\\([ \t\n]*" "" target "${entry}")
    set(folder_of_${target} ${layer})
  endforeach()
  string(REGEX MATCHALL "add_library\\([ \t\n]*[A-Za-z0-9_:]+[ \t\n]+ALIAS" aliases "${text}")
  foreach(entry IN LISTS aliases)
    string(REGEX REPLACE "^add_library\\([ \t\n]*([A-Za-z0-9_:]+).*" "\\1" target "${entry}")
    set(folder_of_${target} ${layer})
  endforeach()
endforeach()

# Each folder's direct links to other folders, from its target_link_libraries.
foreach(layer IN LISTS layers)
  set(links_${layer} "")
  string(REGEX MATCHALL "target_link_libraries\\([^)]*\\)" calls "${text_${layer}}")
  foreach(call IN LISTS calls)
    string(REGEX REPLACE "^target_link_libraries\\(|\\)$" "" words "${call}")
    string(REGEX REPLACE "[ \t\n]+" ";" words "${words}")
    foreach(word IN LISTS words)
      set(to "${folder_of_${word}}")
      if(to AND NOT to STREQUAL layer)
        list(APPEND links_${layer} ${to})
        if(rank_${to} GREATER_EQUAL rank_${layer})
          string(APPEND failures "\n  ${dir_${layer}}/CMakeLists.txt: ${layer} links ${word} (${to}), which is not below it")
        endif()
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES links_${layer})
endforeach()

# What each folder may include: itself and everything it reaches by links.
foreach(layer IN LISTS layers)
  set(reach ${layer})
  set(todo ${links_${layer}})
  while(todo)
    list(POP_FRONT todo next)
    if(NOT next IN_LIST reach)
      list(APPEND reach ${next})
      list(APPEND todo ${links_${next}})
    endif()
  endwhile()
  set(reach_${layer} ${reach})
endforeach()

foreach(layer IN LISTS layers)
  if(layer STREQUAL "wavlib")
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${dir_${layer}}/*.cpp ${SOURCE_DIR}/${dir_${layer}}/*.h)
  list(SORT sources)
  foreach(source IN LISTS sources)
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*" "\\1" prefix "${line}")
      set(target_layer "${include_${prefix}}")
      if(target_layer AND NOT target_layer IN_LIST reach_${layer})
        string(STRIP "${line}" line)
        string(APPEND failures "\n  ${source}: ${line} reaches ${target_layer}, which ${layer} does not link")
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  message(FATAL_ERROR "Includes or links that point up the layer order "
                      "(wavlib < engine < devices | instrument < session < ui | batch < app):${failures}")
endif()
list(LENGTH layers count)
message(STATUS "Layer order kept: ${count} layers")
