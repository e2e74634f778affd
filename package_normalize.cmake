# cpack runs this on the staged tree before it packs, and again on each
# package it made. It gives both packages the modes and owners PACKAGING.md
# states, whoever builds under whatever umask, and removes, rather than
# ships, a package that lacks its files or its dependency on the C library.
cmake_policy(VERSION 3.20...3.25)
if(NOT CPACK_PACKAGE_FILES)
  # Without dpkg-shlibdeps CPack quietly makes a .deb that declares no
  # dependency at all; without file it stops with words of its own.
  foreach(tool dpkg-shlibdeps:dpkg-dev file:file)
    string(REGEX MATCH "^(.*):(.*)$" _ ${tool})
    find_program(${CMAKE_MATCH_1} ${CMAKE_MATCH_1})
    if(CPACK_GENERATOR STREQUAL "DEB" AND NOT ${CMAKE_MATCH_1})
      message(FATAL_ERROR "The .deb needs ${CMAKE_MATCH_1}: install Debian's package"
        " ${CMAKE_MATCH_2}, or make only the tarball with cpack -G TGZ")
    endif()
  endforeach()
  file(CHMOD_RECURSE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  return()
endif()

# GNU tar's, as every option below is; another tar fails on them, by name.
find_program(tar NAMES gtar tar)
# fail(WHY): removes the package, and any made by an earlier run, and stops.
macro(fail why)
  get_filename_component(name "${package}" NAME)
  file(REMOVE "${package}" "${CPACK_PACKAGE_DIRECTORY}/${name}")
  message(FATAL_ERROR "${package} has been removed: it ${why}")
endmacro()
# run(COMMAND...): execute_process, where any failure removes the package.
macro(run)
  execute_process(COMMAND ${ARGV} RESULTS_VARIABLE results ERROR_VARIABLE why)
  if(NOT results MATCHES "^0(;0)*$")
    fail("could not be written or read (${results}: ${why})")
  endif()
endmacro()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.deb$")
    # An ar archive: after its 8-byte magic, each member has a 60-byte header,
    # with its mode at byte 40 and its size at byte 48, and members start at
    # even offsets. Each mode is overwritten in place.
    file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/mode" "100644  ")
    file(SIZE "${package}" end)
    set(header 8)
    while(header LESS end)
      math(EXPR at "${header} + 48")
      file(READ "${package}" size OFFSET ${at} LIMIT 10)
      math(EXPR at "${header} + 40")
      run(dd "of=${package}" bs=1 seek=${at} conv=notrunc
        INPUT_FILE "${CPACK_TOPLEVEL_DIRECTORY}/mode")
      string(STRIP "${size}" size)
      math(EXPR header "${header} + 60 + (${size} + 1) / 2 * 2")
    endwhile()
    run(dpkg-deb --fsys-tarfile "${package}" COMMAND "${tar}" -t OUTPUT_VARIABLE listing)
    run(dpkg-deb --field "${package}" Depends OUTPUT_VARIABLE depends)
  elseif(package MATCHES "\\.tar\\.gz$")
    # Written anew from the staged tree, top folder included, which cpack's
    # own tarball leaves out and gives to whoever builds.
    run("${tar}" -cf - --format=gnu --sort=name --owner=0 --group=0 --numeric-owner
      "--mtime=@$ENV{SOURCE_DATE_EPOCH}" -C "${CPACK_TOPLEVEL_DIRECTORY}" "${CPACK_PACKAGE_FILE_NAME}"
      COMMAND gzip -9n OUTPUT_FILE "${package}")
    run("${tar}" -tzf "${package}" OUTPUT_VARIABLE listing)
  else()
    fail("is of a kind no check is known for")
  endif()
  # Each file's path from the package's root, top folder and "./" taken off,
  # against installed.txt's under the prefix the package installs into:
  # CPack has made packages with no files at all from a build folder whose
  # path holds a '[', and with a file outside its folders.
  string(REPLACE "\n./" "\n/" files "\n${listing}")
  string(REPLACE "\n${CPACK_PACKAGE_FILE_NAME}/" "\n/" files "${files}")
  string(REGEX MATCHALL "[^\n]*[^/\n]\n" files "${files}")
  string(REPLACE "\n" "" files "${files}")
  list(SORT files)
  list(TRANSFORM CPACK_SCANF_EX_FILES PREPEND "${CPACK_PACKAGING_INSTALL_PREFIX}/" OUTPUT_VARIABLE wanted)
  list(TRANSFORM wanted REPLACE "//+" "/")
  if(NOT files STREQUAL wanted)
    fail("holds the files '${files}' where '${wanted}' were wanted")
  elseif(package MATCHES "\\.deb$" AND NOT depends MATCHES "(^|, )libc6 ")
    fail("declares no dependency on libc6")
  endif()
endforeach()
