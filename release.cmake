# cmake -P release.cmake: every workflow preset, each of which configures
# afresh, builds, tests and packages into build-release/packages, where
# nothing else is then left beside the packages and their checksums. Stops
# at the first failure.
cmake_minimum_required(VERSION 3.25)
set(out "${CMAKE_CURRENT_LIST_DIR}/build-release")
execute_process(COMMAND ${CMAKE_COMMAND} --list-presets=workflow WORKING_DIRECTORY "${CMAKE_CURRENT_LIST_DIR}"
  OUTPUT_VARIABLE presets COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "[^\"]*\"([^\"]+)\"[^\"]*" "\\1;" presets "${presets}")
# Nothing from an earlier release may be gathered with this one.
file(REMOVE_RECURSE "${out}")
foreach(preset ${presets})
  execute_process(COMMAND ${CMAKE_COMMAND} --workflow --preset ${preset} --fresh
    WORKING_DIRECTORY "${CMAKE_CURRENT_LIST_DIR}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
file(REMOVE_RECURSE "${out}/packages/_CPack_Packages")
