# What the plug-in built alone in WORK read and linked (cmake/PluginAlone.cmake):
# every header the compiler read, as its dependency files record them, lies in
# WORK (its own sources, its build, the SDK folder), in IMGUI (Dear ImGui's
# sources) or outside this source tree and this build, so nothing of sdk/ or
# of the simulated host; pluginsdk.h came from WORK/sdk/include; and the
# module's link line names the SDK folder's library and no file of this build.
#
#   cmake -DWORK=DIR -DSOURCE=DIR -DBUILD=DIR [-DIMGUI=DIR] -P check_plugin_alone.cmake

cmake_minimum_required(VERSION 3.25)

# Make keeps the compiler's dependency files; Ninja reads them into its log.
set(read "")
if(EXISTS ${WORK}/build/.ninja_deps)
  execute_process(COMMAND ninja -C ${WORK}/build -t deps OUTPUT_VARIABLE read COMMAND_ERROR_IS_FATAL ANY)
else()
  file(GLOB_RECURSE depfiles ${WORK}/build/*.d)
  foreach(depfile ${depfiles})
    file(READ ${depfile} text)
    string(APPEND read "${text}")
  endforeach()
endif()
string(REGEX REPLACE "\\\\\n|[ \t\n]+" ";" read "${read}")
list(REMOVE_DUPLICATES read)

set(outside "")
foreach(file ${read})
  file(REAL_PATH ${file} file BASE_DIRECTORY ${WORK}/build)
  string(FIND "${file}" "${WORK}/" in_work)
  string(FIND "${file}" "${IMGUI}/" in_imgui)
  string(FIND "${file}" "${SOURCE}/" in_source)
  string(FIND "${file}" "${BUILD}/" in_build)
  if(NOT in_work EQUAL 0 AND (NOT IMGUI OR NOT in_imgui EQUAL 0) AND (in_source EQUAL 0 OR in_build EQUAL 0))
    list(APPEND outside ${file})
  endif()
endforeach()
if(outside)
  list(JOIN outside "\n  " outside)
  message(FATAL_ERROR "The plug-in built alone read files of this tree or build, not of the SDK folder:\n  ${outside}")
endif()
if(NOT "${WORK}/sdk/include/pluginsdk.h" IN_LIST read)
  message(FATAL_ERROR "The plug-in built alone did not read ${WORK}/sdk/include/pluginsdk.h")
endif()

# The link line: Ninja's last command for the module; Make's link.txt, with
# the response files a Windows build passes it in.
set(link_line "")
if(EXISTS ${WORK}/build/.ninja_deps)
  execute_process(COMMAND ninja -C ${WORK}/build -t commands Glimmerfade OUTPUT_VARIABLE link_line
                  COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE ".*\n([^\n]+)\n$" "\\1" link_line "${link_line}")
endif()
file(GLOB link_files ${WORK}/build/glimmerfade/plugin/CMakeFiles/Glimmerfade.dir/link.txt
                     ${WORK}/build/glimmerfade/plugin/CMakeFiles/Glimmerfade.dir/*.rsp)
foreach(link_file ${link_files})
  file(READ ${link_file} text)
  string(APPEND link_line "${text}")
endforeach()
string(REPLACE "${WORK}/" "" elsewhere "${link_line}")
string(FIND "${link_line}" "${WORK}/sdk/lib/" sdk_library)
string(FIND "${elsewhere}" "${SOURCE}/" from_source)
string(FIND "${elsewhere}" "${BUILD}/" from_build)
if(sdk_library EQUAL -1 OR NOT from_source EQUAL -1 OR NOT from_build EQUAL -1)
  message(FATAL_ERROR "Glimmerfade built alone is not linked against the SDK folder's library alone:\n${link_line}")
endif()
message(STATUS "The plug-in built alone read ${WORK}/sdk/include and no file of ${SOURCE} or ${BUILD}")
