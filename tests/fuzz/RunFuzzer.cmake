# Runs one fuzz target for SECONDS on a fresh copy of its corpus in WORK,
# keeps its output in WORK/fuzz.log, and fails on any finding.
# GLIMMERFADE_FUZZ_SECONDS in the environment, when set, stands for SECONDS.
# LEAKS_AT_EXIT: leaks are looked for at exit only, not after every input.
# cmake -DFUZZER=... -DSEEDS=... -DDICTIONARY=... -DWORK=... -DSECONDS=... [-DLEAKS_AT_EXIT=ON] -P RunFuzzer.cmake
if(DEFINED ENV{GLIMMERFADE_FUZZ_SECONDS})
  set(SECONDS $ENV{GLIMMERFADE_FUZZ_SECONDS})
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)

set(options -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/)
if(LEAKS_AT_EXIT)
  list(APPEND options -detect_leaks=0)
endif()
if(EXISTS ${DICTIONARY})
  list(APPEND options -dict=${DICTIONARY})
endif()
execute_process(COMMAND ${FUZZER} ${options} ${WORK}/corpus
                RESULT_VARIABLE result OUTPUT_FILE ${WORK}/fuzz.log ERROR_FILE ${WORK}/fuzz.log)

file(STRINGS ${WORK}/fuzz.log done REGEX "^Done [0-9]+ runs")
message(STATUS "${FUZZER}: ${done}")
file(GLOB findings ${WORK}/artifacts/*)
if(NOT result EQUAL 0 OR findings)
  file(READ ${WORK}/fuzz.log log)
  string(LENGTH "${log}" length)
  if(length GREATER 20000)
    math(EXPR start "${length} - 20000")
    string(SUBSTRING "${log}" ${start} -1 log)
  endif()
  message(FATAL_ERROR "${log}\nFuzzing failed (exit ${result}); findings: ${findings}")
endif()
