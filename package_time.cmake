# cpack reads this before it makes each package. Every file in a package is
# stamped with one time, so that builds of one commit give the same bytes:
# SOURCE_DATE_EPOCH where the caller sets it, else the last commit's time.
# Outside a git checkout, with neither, files keep the time they were made.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY "${CPACK_SCANF_EX_SOURCE_DIR}"
    OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE failed ERROR_QUIET)
  if(failed EQUAL 0 AND time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${time})
  endif()
endif()
