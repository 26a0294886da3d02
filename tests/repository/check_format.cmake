# Fails when a tracked C or C++ file differs from what clang-format makes of
# it with .clang-format, naming each place (clang-format's --dry-run -Werror).
#
#   cmake -DSOURCE=DIR -DCLANG_FORMAT=clang-format-14 -P check_format.cmake

execute_process(COMMAND git ls-files --cached --others --exclude-standard -- *.c *.cpp *.h
                WORKING_DIRECTORY ${SOURCE} OUTPUT_VARIABLE listed RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "git cannot list the files of ${SOURCE}")
endif()
string(REPLACE "\n" ";" files "${listed}")
list(FILTER files EXCLUDE REGEX "^$")
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror ${files} WORKING_DIRECTORY ${SOURCE}
                RESULT_VARIABLE status)
list(LENGTH files count)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Files above differ from what clang-format makes of them: clang-format -i FILE formats one")
endif()
message(STATUS "The ${count} C and C++ files are as clang-format makes them")
