# Keeps track of what a whole install writes, so that uninstall removes that
# and nothing else. cmake_install.cmake includes it with phase "before",
# before it writes anything, and "after"; `cmake -P` in the build folder,
# with no phase, uninstalls. Paths are handled as plain strings, never as
# CMake lists, so that any byte but a line break may be in them.
cmake_policy(VERSION 3.20...3.25)
set(ENV{LC_ALL} C) # rm and rmdir say why they failed in words read below
if(NOT DEFINED phase)
  set(build "${CMAKE_CURRENT_BINARY_DIR}")
endif()
# real(PATH VAR): where the kernel finds the folder PATH, through links and
# "..", without a trailing slash; empty if it finds none.
function(real path var)
  execute_process(COMMAND sh -c "cd -P -- \"$1\" && pwd -P" sh "${path}"
    OUTPUT_VARIABLE path ERROR_QUIET)
  string(REGEX REPLACE "/?\n$" "" path "${path}")
  set(${var} "${path}" PARENT_SCOPE)
endfunction()
set(record "${build}/install_made.txt")

if(DEFINED phase)
  # Each line of installed.txt: a file of the build folder, the variable that
  # names the folder it goes to, and that folder.
  file(READ "${build}/installed.txt" table)
  set(noted "")
  while(table MATCHES "^([^\t]*)\t([^\t]*)\t([^\n]*)\n(.*)$")
    set(name "${CMAKE_MATCH_1}")
    set(variable "${CMAKE_MATCH_2}")
    set(folder "${CMAKE_MATCH_3}")
    set(table "${CMAKE_MATCH_4}")
    if(CMAKE_ERROR_ON_ABSOLUTE_INSTALL_DESTINATION AND IS_ABSOLUTE "${folder}")
      message(FATAL_ERROR "${variable} makes '${folder}' absolute, outside the package"
        " cpack makes: configure with ${variable} relative to the prefix, as by default")
    elseif(CMAKE_INSTALL_COMPONENT) # cpack's staging, or the install test's
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH folder BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}")
    set(folder "$ENV{DESTDIR}${folder}")
    # CMake takes a backslash for a slash, and a line break would split a line
    # of the record.
    if(folder MATCHES "[\n\\]")
      message(FATAL_ERROR "Nothing was installed: '${folder}' holds a line break or a backslash")
    endif()
    cmake_path(ABSOLUTE_PATH folder BASE_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
    # The folders the install will make are those missing below the nearest
    # that exists, taken where the kernel finds it, through links and "..".
    set(new "")
    while(NOT EXISTS "${folder}" AND NOT IS_SYMLINK "${folder}"
        AND folder MATCHES "^(.*[^/])/+([^/]+)/*$")
      set(folder "${CMAKE_MATCH_1}")
      set(new "/${CMAKE_MATCH_2}${new}")
    endwhile()
    real("${folder}" real)
    if(real STREQUAL "")
      message(FATAL_ERROR "Nothing was installed: '${folder}' is not a folder")
    endif()
    set(folder "${real}")
    while(new MATCHES "^/([^/]+)(.*)$")
      set(new "${CMAKE_MATCH_2}")
      if(CMAKE_MATCH_1 STREQUAL "..")
        string(REGEX REPLACE "/[^/]*$" "" folder "${folder}")
      elseif(NOT CMAKE_MATCH_1 STREQUAL ".")
        set(folder "${folder}/${CMAKE_MATCH_1}")
        string(FIND "\n${noted}" "\nd ${folder}\n" seen)
        if(seen LESS 0 AND NOT EXISTS "${folder}")
          string(APPEND noted "d ${folder}\n")
        endif()
      endif()
    endwhile()
    # Before, what a plain copy writes; after, what was written, which a strip
    # may have changed.
    if(phase STREQUAL "before")
      file(SHA256 "${build}/${name}" sum)
    else()
      file(SHA256 "${folder}/${name}" sum)
    endif()
    string(APPEND noted "f ${sum} ${folder}/${name}\n")
  endwhile()
  if(NOT CMAKE_INSTALL_COMPONENT)
    file(APPEND "${record}" "${noted}")
  endif()
  return()
endif()

# Uninstall. Newest first, so that a path noted by more than one install is
# judged by the last: a file is removed only if it is still the one written
# (the same bytes, not a link, no link on its path), a folder only if empty.
set(text "")
if(EXISTS "${record}")
  file(READ "${record}" text)
endif()
# 1.0.5 and 1.0.4 noted paths alone, which cannot tell a file the install
# wrote from one put in its place since.
if(EXISTS "${build}/install_folders.txt" OR NOT text MATCHES "^((d|f [0-9a-f]+) [^\n]*\n)*$")
  message(FATAL_ERROR "An install made by scanf_ex 1.0.5 or older cannot be checked:"
    " remove by hand what this build folder's install_*.txt files list, then them.")
elseif(text STREQUAL "")
  message(STATUS "Nothing to uninstall: no install from this build folder is noted")
  return()
endif()
set(remove_d rmdir)
set(remove_f rm -f)
set(done "\n")
set(left "")
while(text MATCHES "^(.*\n)?(([df]) ([0-9a-f]+ )?([^\n]*))\n$")
  set(text "${CMAKE_MATCH_1}")
  set(line "${CMAKE_MATCH_2}")
  set(kind "${CMAKE_MATCH_3}")
  string(STRIP "${CMAKE_MATCH_4}" sum)
  set(path "${CMAKE_MATCH_5}")
  string(FIND "${done}" "\n${path}\n" seen)
  if(seen GREATER -1 OR NOT (EXISTS "${path}" OR IS_SYMLINK "${path}"))
    continue()
  endif()
  string(APPEND done "${path}\n")
  string(REGEX REPLACE "/[^/]*$" "" parent "${path}")
  real("${parent}" real)
  set(now "")
  if(kind STREQUAL "f" AND NOT IS_SYMLINK "${path}" AND NOT IS_DIRECTORY "${path}")
    file(SHA256 "${path}" now)
  endif()
  if(NOT real STREQUAL parent OR NOT now STREQUAL sum)
    message(STATUS "Kept: ${path}, which is no longer what the install wrote there")
    continue()
  endif()
  execute_process(COMMAND ${remove_${kind}} -- "${path}" RESULT_VARIABLE failed ERROR_VARIABLE why)
  if(NOT failed)
    message(STATUS "Removed: ${path}")
  elseif(NOT why MATCHES "Directory not empty|Not a directory")
    string(REGEX REPLACE ".*: |\n" "" why "${why}")
    message(STATUS "Could not remove: ${path}: ${why}")
    string(PREPEND left "${line}\n")
  elseif(why MATCHES "not empty" AND NOT left STREQUAL "")
    string(PREPEND left "${line}\n") # it may hold only what could not go
  endif()
endwhile()
# What could not be removed, say for want of permission, stays noted for the
# next try.
if(NOT left STREQUAL "")
  file(WRITE "${record}" "${left}")
  message(FATAL_ERROR "What could not be removed stays noted in ${record}:"
    " run the uninstall again as a user who may remove it, such as the one"
    " who installed it.")
endif()
file(REMOVE "${record}")
