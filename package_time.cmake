# cpack reads this before each package: every file in it is stamped with one
# time, SOURCE_DATE_EPOCH where the caller sets it, else the date of NEWS's
# top entry, which every export of the source carries, git or not.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(news "${CPACK_SCANF_EX_SOURCE_DIR}/NEWS")
  file(STRINGS "${news}" trailer REGEX "^ -- " LIMIT_COUNT 1)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  set(month -1)
  if(trailer MATCHES " ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ([0-9]+):([0-9]+):([0-9]+) ([-+])([0-9][0-9])([0-9][0-9])$")
    list(FIND months ${CMAKE_MATCH_2} month)
  endif()
  if(month LESS 0)
    message(FATAL_ERROR "${news}: its top entry has no date such as"
      " 'Wed, 09 Dec 2026 15:31:00 +0000' to stamp the package files with;"
      " set SOURCE_DATE_EPOCH instead")
  endif()
  # Days since 1970-01-01 of a date in the proleptic Gregorian calendar, with
  # March as the first month so that a leap day ends its year.
  math(EXPR march "(${month} + 10) % 12")
  math(EXPR year "${CMAKE_MATCH_3} - ${march} / 10")
  math(EXPR days "${year} * 365 + ${year} / 4 - ${year} / 100 + ${year} / 400
    + (153 * ${march} + 2) / 5 + ${CMAKE_MATCH_1} - 1 - 719468")
  math(EXPR time "${days} * 86400 + ${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60
    + ${CMAKE_MATCH_6} - ${CMAKE_MATCH_7}1 * (${CMAKE_MATCH_8} * 60 + ${CMAKE_MATCH_9}) * 60")
  set(ENV{SOURCE_DATE_EPOCH} ${time})
endif()
