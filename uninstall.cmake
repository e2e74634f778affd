# cmake -D record=FILE -P uninstall.cmake: removes the files FILE lists, then
# the folders it lists (lines ending in /) that are empty, deepest first.
cmake_policy(VERSION 3.20)
get_filename_component(build "${record}" DIRECTORY)
if(NOT EXISTS "${record}" AND EXISTS "${build}/install_folders.txt")
  message(FATAL_ERROR "${build}/install_folders.txt is from an install made"
    " before 1.0.5, which did not note where it wrote its files, so uninstall"
    " leaves it alone: remove the files install_manifest.txt lists, each below"
    " the DESTDIR that install had, the folders install_folders.txt lists, and"
    " then install_folders.txt itself.")
endif()
set(lines)
if(EXISTS "${record}")
  file(STRINGS "${record}" lines)
endif()
set(folders)
set(left)
foreach(path IN LISTS lines)
  if(path MATCHES "/$")
    list(APPEND folders "${path}")
  elseif(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing: ${path}")
    file(REMOVE "${path}")
    if(EXISTS "${path}" OR IS_SYMLINK "${path}")
      list(APPEND left "${path}")
    endif()
  endif()
endforeach()
# Sorted backwards, each folder comes before its parent; rmdir refuses one
# that holds anything, whatever else was put there since.
list(SORT folders)
list(REVERSE folders)
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${folder}")
    execute_process(COMMAND rmdir -- "${folder}" RESULT_VARIABLE kept ERROR_QUIET)
    if(NOT kept)
      message(STATUS "Removing: ${folder}")
    elseif(left)
      list(APPEND left "${folder}")
    endif()
  endif()
endforeach()
# What could not be removed, say for want of permission, is kept for the
# next try.
if(left)
  list(JOIN left "\n" left)
  file(WRITE "${record}" "${left}\n")
  message(FATAL_ERROR "Could not remove, and kept in ${record}:\n${left}")
endif()
file(REMOVE "${record}")
