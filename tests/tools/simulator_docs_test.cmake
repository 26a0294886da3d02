# Keeps the simulator's guide honest: runs every example tagged ```corvane-sim
# through corvane-sim, failing on an "error:" line, an exception reaching the
# host or a non-zero exit; and fails on any "sim WORD" the guide shows (in
# code, in quotes, or starting a line) that "sim help" does not list.
#
#   cmake -DTOOL=corvane-sim -DGUIDE=docs/simulator.md -DWORK=DIR -P simulator_docs_test.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(READ ${GUIDE} guide)
set(failures "")

# Runs one script in WORK (pictures land there); its output goes to `printed`.
function(run_script name script)
  file(WRITE ${WORK}/${name}.sim "${script}")
  execute_process(COMMAND ${TOOL} ${name}.sim WORKING_DIRECTORY ${WORK} TIMEOUT 120
                  RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE printed)
  if(NOT status EQUAL 0 OR printed MATCHES "(^|\n)error:|Exception in plug-in")
    set(failures "${failures}\n${name} (exit ${status}):\n${script}--- printed:\n${printed}" PARENT_SCOPE)
  endif()
  set(printed "${printed}" PARENT_SCOPE)
endfunction()

set(fence "```corvane-sim\n")
string(LENGTH "${fence}" fence_length)
set(rest "${guide}")
set(examples 0)
string(FIND "${rest}" "${fence}" start)
while(start GREATER -1)
  math(EXPR start "${start} + ${fence_length}")
  string(SUBSTRING "${rest}" ${start} -1 rest)
  string(FIND "${rest}" "```" end)
  string(SUBSTRING "${rest}" 0 ${end} script)
  string(SUBSTRING "${rest}" ${end} -1 rest)
  math(EXPR examples "${examples} + 1")
  run_script(example-${examples} "${script}")
  string(FIND "${rest}" "${fence}" start)
endwhile()
if(examples EQUAL 0)
  string(APPEND failures "\nno example tagged corvane-sim in ${GUIDE}")
endif()

run_script(help "sim help\n")
# A mention: "sim WORD" in code or quotes, or at the start of a line or prompt.
string(REGEX MATCHALL "(\n *|[`\"]|> )sim [a-z][-a-z]*" mentions "${guide}")
foreach(mention IN LISTS mentions)
  string(REGEX REPLACE ".*sim " "" word "${mention}")
  if(NOT "\n${printed}" MATCHES "\n  sim ${word}[ \r\n]")
    string(APPEND failures "\n\"sim ${word}\" is mentioned, but \"sim help\" does not list it")
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${GUIDE}:${failures}")
endif()
message(STATUS "${examples} examples ran; every sim word mentioned is listed by sim help")
