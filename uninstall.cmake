# cmake -D manifest=FILE -D folders=FILE -P uninstall.cmake: removes each file
# the manifest lists, then each folder the install noted it made, where it is
# empty, and forgets them; what is already gone is passed over.
cmake_policy(VERSION 3.20)
foreach(list IN ITEMS manifest folders)
  set(${list}_lines)
  if(EXISTS "${${list}}")
    file(STRINGS "${${list}}" ${list}_lines)
  endif()
endforeach()
foreach(file IN LISTS manifest_lines)
  if(EXISTS "${file}" OR IS_SYMLINK "${file}")
    message(STATUS "Removing: ${file}")
    file(REMOVE "${file}")
  endif()
endforeach()
# Sorted backwards, each folder comes before its parent; rmdir refuses one
# that holds anything, whatever else was put there since.
list(SORT folders_lines)
list(REVERSE folders_lines)
foreach(folder IN LISTS folders_lines)
  if(IS_DIRECTORY "${folder}")
    execute_process(COMMAND rmdir -- "${folder}" RESULT_VARIABLE kept ERROR_QUIET)
    if(NOT kept)
      message(STATUS "Removing: ${folder}/")
    endif()
  endif()
endforeach()
file(REMOVE "${folders}")
