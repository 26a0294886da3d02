# Runs corvane-sim (TOOL, under EMULATOR when given, with ARGS before the
# script) on SCRIPT, or on its default script when SCRIPT is empty, and fails
# unless it prints the kept output KEPT, apart from what differs by platform
# and run: line endings (a Windows program's text output ends lines with
# "\r\n"), clock() figures (processor time in microseconds on Linux,
# wall-clock milliseconds on Windows and in WebAssembly) and the sender's
# address in a received envelope. Every build holds its corvane-sim against
# the same kept text. With GLIMMERFADE_UPDATE_KEPT_OUTPUT=1 in the environment
# it writes what this build printed into KEPT instead.
#
#   cmake -DTOOL=FILE -DKEPT=FILE -DWORK=DIR [-DEMULATOR="a|b"] [-DARGS="a|b"] [-DSCRIPT=FILE]
#         -P check_kept_output.cmake

string(REPLACE "|" ";" emulator "${EMULATOR}")
string(REPLACE "|" ";" arguments "${ARGS}")
set(script --default)
if(SCRIPT)
  set(script ${SCRIPT})
endif()
execute_process(COMMAND ${emulator} ${TOOL} ${arguments} ${script} RESULT_VARIABLE status OUTPUT_VARIABLE output
                ERROR_VARIABLE output TIMEOUT 120)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "corvane-sim failed (${status}):\n${output}")
endif()
string(REPLACE "\r\n" "\n" output "${output}")
string(REGEX REPLACE "\\((A|C): [0-9]+\\)" "(\\1: CLOCK)" output "${output}")
string(REGEX REPLACE "\\]\\[[0-9]+\\]" "][SENDER]" output "${output}")
file(MAKE_DIRECTORY ${WORK})
get_filename_component(name ${KEPT} NAME)
set(printed ${WORK}/${name})
file(WRITE ${printed} "${output}")

if("$ENV{GLIMMERFADE_UPDATE_KEPT_OUTPUT}" STREQUAL "1")
  file(WRITE ${KEPT} "${output}")
  message(STATUS "Wrote ${KEPT}")
  return()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${KEPT} ${printed} RESULT_VARIABLE different)
if(different)
  # The difference as diff prints it, unwrapped: - kept, + printed.
  execute_process(COMMAND diff -u --label kept --label printed ${KEPT} ${printed})
  message(FATAL_ERROR "corvane-sim prints otherwise than ${KEPT} (the difference above). If the change is "
                      "meant, keep the new output with GLIMMERFADE_UPDATE_KEPT_OUTPUT=1 ctest --preset linux "
                      "-R KeptOutput, and review its diff.")
endif()
string(REGEX MATCHALL "\n" lines "${output}")
list(LENGTH lines count)
message(STATUS "corvane-sim prints the ${count} lines of ${KEPT}")
