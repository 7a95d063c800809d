# SPDX-License-Identifier: GPL-3.0-or-later
# CPack runs this after staging the components and before packaging them: it
# moves the library's development files (headers, the unversioned .so link,
# the CMake package, the pkg-config file) from QuendalWav's staging folder
# into QuendalWav_Development's, as Debian splits a -dev package by path.
set(from "${CPACK_TEMPORARY_DIRECTORY}/QuendalWav")
set(to "${CPACK_TEMPORARY_DIRECTORY}/QuendalWav_Development")

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${from}" "${from}/*")
list(FILTER files INCLUDE REGEX "/include/|/pkgconfig/|/cmake/|\\.so$")
if(NOT files)
  message(FATAL_ERROR "no development files staged in ${from}")
endif()
foreach(file IN LISTS files)
  get_filename_component(folder "${to}/${file}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(RENAME "${from}/${file}" "${to}/${file}")
  # Leave no empty folder behind (include/quendal, lib/.../cmake/QuendalWav, ...).
  get_filename_component(folder "${from}/${file}" DIRECTORY)
  file(GLOB left "${folder}/*")
  while(NOT left AND NOT folder STREQUAL from)
    file(REMOVE_RECURSE "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
    file(GLOB left "${folder}/*")
  endwhile()
endforeach()
