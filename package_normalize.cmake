# cpack runs this on the staged tree before it packs, and again on the
# packages it made. install() gives files their modes, but the folders it
# creates along the way, and the members cpack writes into a .deb, take theirs
# from the umask of whoever builds, and cpack before CMake 4.3 writes a
# .tar.gz whose entries belong to whoever builds: unpacked by root, such a
# tarball would hand that user root's folders and put their files on root's
# PATH. So folders become 0755, a .deb's members 0644, and a .tar.gz's entries
# root's, sorted, the same bytes for every builder.
set(folder_mode
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(NOT CPACK_PACKAGE_FILES)
  file(CHMOD_RECURSE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" DIRECTORY_PERMISSIONS ${folder_mode})
endif()

function(run)
  execute_process(COMMAND ${ARGV} RESULTS_VARIABLE results ERROR_VARIABLE why)
  string(REGEX REPLACE "[0;]" "" failed "${results}")
  if(failed)
    file(REMOVE "${package}")
    message(FATAL_ERROR "Cannot make ${package} the same for every builder (${results}): ${why}")
  endif()
endfunction()

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.d?deb$")
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
  elseif(package MATCHES "\\.tar\\.gz$")
    # Written again by GNU tar from what it unpacks to, with an entry for the
    # top folder, which cpack leaves out and tar makes under the umask.
    find_program(tar NAMES gtar tar)
    execute_process(COMMAND "${tar}" --version OUTPUT_VARIABLE version)
    if(NOT version MATCHES "GNU tar")
      message(FATAL_ERROR "${package}: GNU tar is needed to give its entries to root")
    endif()
    set(tree "${CPACK_TOPLEVEL_DIRECTORY}/unpacked")
    file(REMOVE_RECURSE "${tree}")
    file(MAKE_DIRECTORY "${tree}")
    run("${tar}" -xpzf "${package}" -C "${tree}")
    file(CHMOD_RECURSE "${tree}" DIRECTORY_PERMISSIONS ${folder_mode})
    file(GLOB tops RELATIVE "${tree}" "${tree}/*")
    set(time)
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
      set(time "--mtime=@$ENV{SOURCE_DATE_EPOCH}")
    endif()
    run("${tar}" -cf - --format=gnu --sort=name --owner=0 --group=0 --numeric-owner
      ${time} -C "${tree}" ${tops}
      COMMAND gzip -9n OUTPUT_FILE "${package}")
    file(REMOVE_RECURSE "${tree}")
  else()
    message(FATAL_ERROR "${package}: no way is known here to make it the same for every builder")
  endif()
endforeach()
