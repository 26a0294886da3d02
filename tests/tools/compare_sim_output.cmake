# Runs corvane-sim's default script (or SCRIPT) with the Windows build (or
# another one, named by OTHER) under the emulator, with OTHER_ARGS before the
# script, and with the Linux build, and
# fails unless both print the same, apart from what differs by platform and
# run: line endings (a Windows program's text output ends lines with "\r\n"),
# clock() figures (processor time in microseconds on Linux, wall-clock
# milliseconds on Windows and in WebAssembly) and the sender's address in a
# received envelope.
#
#   cmake -DWINDOWS_TOOL=... -DLINUX_TOOL=... -DEMULATOR="a|b|c" -DWORK=DIR [-DSCRIPT=FILE]
#         [-DOTHER=NAME] [-DOTHER_ARGS="a|b"] -P compare_sim_output.cmake

if(NOT LINUX_TOOL OR NOT EXISTS "${LINUX_TOOL}")
  message(FATAL_ERROR "No Linux corvane-sim at '${LINUX_TOOL}': build the Linux build first, or configure "
                      "this build with -DGLIMMERFADE_LINUX_SIM_TOOL=PATH")
endif()
string(REPLACE "|" ";" emulator "${EMULATOR}")
string(REPLACE "|" ";" other_args "${OTHER_ARGS}")
if(NOT OTHER)
  set(OTHER Windows)
endif()
set(script --default)
if(SCRIPT)
  set(script ${SCRIPT})
endif()
file(MAKE_DIRECTORY ${WORK})

function(run_tool name)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output
                  TIMEOUT 120)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${name} corvane-sim failed (${status}):\n${output}")
  endif()
  string(REPLACE "\r\n" "\n" output "${output}")
  string(REGEX REPLACE "\\((A|C): [0-9]+\\)" "(\\1: CLOCK)" output "${output}")
  string(REGEX REPLACE "\\]\\[[0-9]+\\]" "][SENDER]" output "${output}")
  file(WRITE ${WORK}/${name}.txt "${output}")
endfunction()

run_tool(linux ${LINUX_TOOL} ${script})
run_tool(${OTHER} ${emulator} ${WINDOWS_TOOL} ${other_args} ${script})
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/linux.txt ${WORK}/${OTHER}.txt
                RESULT_VARIABLE different)
if(different)
  execute_process(COMMAND diff -u ${WORK}/linux.txt ${WORK}/${OTHER}.txt OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "The ${OTHER} corvane-sim prints otherwise than the Linux one:\n${difference}")
endif()
file(READ ${WORK}/linux.txt output)
string(REGEX MATCHALL "\n" lines "${output}")
list(LENGTH lines count)
message(STATUS "Both print the same ${count} lines")
