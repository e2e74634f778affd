# cpack runs this on the staged tree before it packs, and again on each
# package it made. install() gives files their modes, but the folders it
# creates along the way, and the members cpack writes into a .deb, take
# theirs from the umask of whoever builds; a strict one would make folders
# that nobody else may enter once unpacked.
if(NOT CPACK_PACKAGE_FILES)
  file(CHMOD_RECURSE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
elseif(CPACK_PACKAGE_FILES MATCHES "\\.deb$")
  # A .deb is an ar archive: after its 8-byte magic, each member has a
  # 60-byte header, with its mode at byte 40 and its size at byte 48, and
  # members start at even offsets. Each mode is overwritten in place.
  set(deb "${CPACK_PACKAGE_FILES}")
  file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/mode" "100644  ")
  file(SIZE "${deb}" end)
  set(header 8)
  while(header LESS end)
    math(EXPR at "${header} + 48")
    file(READ "${deb}" size OFFSET ${at} LIMIT 10)
    math(EXPR at "${header} + 40")
    execute_process(COMMAND dd "of=${deb}" bs=1 seek=${at} conv=notrunc
      INPUT_FILE "${CPACK_TOPLEVEL_DIRECTORY}/mode"
      RESULT_VARIABLE failed ERROR_VARIABLE why)
    if(failed)
      message(FATAL_ERROR "Cannot set the modes in ${deb}: ${why}")
    endif()
    string(STRIP "${size}" size)
    math(EXPR header "${header} + 60 + (${size} + 1) / 2 * 2")
  endwhile()
endif()
