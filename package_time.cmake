# cpack reads this before each package: every file in it is stamped with one
# time, SOURCE_DATE_EPOCH where the caller sets it, else the date of NEWS's
# top entry, which every export of the source carries, git or not.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  file(READ "${CPACK_SCANF_EX_SOURCE_DIR}/NEWS" text)
  string(REGEX MATCH "\n -- [^\n]*" trailer "${text}") # the top entry's
  if(trailer MATCHES ">  (([A-Z][a-z][a-z]), [0-9]?[0-9] [A-Z][a-z][a-z] [0-9]+ [0-9:]+ [-+][0-9]+)$")
    execute_process(COMMAND date -u -d "${CMAKE_MATCH_1}" "+%s %a" OUTPUT_VARIABLE time ERROR_QUIET)
  endif()
  if(NOT time MATCHES "^([0-9]+) ${CMAKE_MATCH_2}\n$")
    message(FATAL_ERROR "${CPACK_SCANF_EX_SOURCE_DIR}/NEWS: its top entry has no date such as"
      " 'Wed, 09 Dec 2026 15:31:00 +0000' that GNU date reads, to stamp the"
      " package files with; set SOURCE_DATE_EPOCH instead")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} ${CMAKE_MATCH_1})
endif()
