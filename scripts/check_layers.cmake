# SPDX-FileCopyrightText: 2026 Merriveld
# SPDX-License-Identifier: GPL-3.0-or-later

# Checks that no folder includes a folder above it.
#   cmake -DSOURCE_DIR=<checkout> [-DTABLE=<file>] -P check_layers.cmake
# Reads the table of layers (scripts/layers.txt), refuses a table in which a
# folder names itself, an unknown folder or a folder below it on the list,
# and then every quoted #include "folder/..." of the folders in the table
# whose folder is neither its own nor one it names. Folders with sources
# that the table does not name are refused too, so a new folder has to be
# placed. Prints every offending line and fails when there is one.
cmake_minimum_required(VERSION 3.21)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_layers: give -DSOURCE_DIR=<checkout>")
endif()
if(NOT TABLE)
  set(TABLE "${SOURCE_DIR}/scripts/layers.txt")
endif()

set(free_folders tests bench scripts samples docs packaging)
set(errors "")
set(layers "")
file(STRINGS "${TABLE}" table_lines)
foreach(line IN LISTS table_lines)
  if(line MATCHES "^[ \t]*(#|$)")
    continue()
  endif()
  if(NOT line MATCHES "^([A-Za-z0-9_]+):(.*)$")
    string(APPEND errors "  table: cannot read the line \"${line}\"\n")
    continue()
  endif()
  set(folder "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" below)
  if(below STREQUAL "")
    set(below "")
  else()
    string(REGEX REPLACE "[ \t]+" ";" below "${below}")
  endif()
  foreach(other IN LISTS below)
    if(NOT other IN_LIST layers)
      string(APPEND errors
        "  table: ${folder} may include ${other}, which is not on a line above it\n")
    endif()
  endforeach()
  list(APPEND layers "${folder}")
  set(allowed_${folder} ${below})
endforeach()

# Folders with sources that the table does not place.
file(GLOB top_entries RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
foreach(entry IN LISTS top_entries)
  # Build folders (build, build-release, ...) and hidden folders hold no
  # sources of ours.
  if(entry MATCHES "^(build|\\.)")
    continue()
  endif()
  if(IS_DIRECTORY "${SOURCE_DIR}/${entry}" AND NOT entry IN_LIST free_folders
     AND NOT entry IN_LIST layers)
    file(GLOB_RECURSE unplaced "${SOURCE_DIR}/${entry}/*.cpp" "${SOURCE_DIR}/${entry}/*.h")
    if(unplaced)
      string(APPEND errors
        "  ${entry}/ holds sources but has no line in ${TABLE}\n")
    endif()
  endif()
endforeach()

set(checked 0)
foreach(folder IN LISTS layers)
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
    "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.h")
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${SOURCE_DIR}/${source}" includes
      REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(include IN LISTS includes)
      string(REGEX MATCH "\"([^\"/]+)/" _ "${include}")
      set(target "${CMAKE_MATCH_1}")
      if(target STREQUAL folder OR NOT target IN_LIST layers)
        continue()
      endif()
      if(NOT target IN_LIST allowed_${folder})
        string(STRIP "${include}" include)
        string(APPEND errors
          "  ${source}: ${include} (${folder}/ may include only: ${allowed_${folder}})\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(errors)
  message(FATAL_ERROR "Includes that cross the layers the wrong way:\n${errors}")
endif()
list(LENGTH layers layer_count)
message(STATUS "Layers hold: ${checked} files in ${layer_count} folders")
