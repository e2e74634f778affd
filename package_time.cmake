# cpack reads this before it makes each package. Every file in a package is
# stamped with one time, so that builds of one commit give the same bytes:
# SOURCE_DATE_EPOCH where the caller sets it, else the last commit's time.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  # A packager often builds a checkout that another user owns; git refuses
  # to read such a repository unless told that it is safe, and a log of one
  # commit's time is.
  execute_process(COMMAND git -c safe.directory=* log -1 --format=%ct
    WORKING_DIRECTORY "${CPACK_SCANF_EX_SOURCE_DIR}"
    OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_VARIABLE why ERROR_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed)
  if(failed EQUAL 0 AND time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${time})
  else()
    message(WARNING "No SOURCE_DATE_EPOCH, and the last commit's time cannot"
      " be read from ${CPACK_SCANF_EX_SOURCE_DIR} (${failed}: ${why}), so the"
      " package files keep the times they were made, and another build will"
      " not give the same bytes.")
  endif()
endif()
