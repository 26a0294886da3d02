# What the plug-in built alone in WORK read and linked (cmake/PluginAlone.cmake):
# every header the compiler read lies in WORK (its sources, its build, the SDK
# folder), in IMGUI (Dear ImGui's sources) or outside this tree and build, so
# nothing of sdk/ or of the simulated host; pluginsdk.h came from the SDK
# folder; the module's link line names the SDK folder's library and no file of
# this tree or build.
#
#   cmake -DWORK=DIR -DSOURCE=DIR -DBUILD=DIR [-DIMGUI=DIR] -P check_plugin_alone.cmake
cmake_minimum_required(VERSION 3.25)

function(read_files out_var)
  set(text "")
  foreach(file ${ARGN})
    file(READ ${file} content)
    string(APPEND text "${content}")
  endforeach()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# Ninja keeps the compiler's dependency files in its log and the link line as
# its last command for the module; Make keeps both in files, a Windows build
# the link line partly in response files.
set(build ${WORK}/build)
if(EXISTS ${build}/.ninja_deps)
  execute_process(COMMAND ninja -C ${build} -t deps OUTPUT_VARIABLE read COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ninja -C ${build} -t commands Glimmerfade OUTPUT_VARIABLE link_line COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE ".*\n([^\n]+)\n$" "\\1" link_line "${link_line}")
else()
  file(GLOB_RECURSE depfiles ${build}/*.d)
  file(GLOB link_files ${build}/glimmerfade/plugin/CMakeFiles/Glimmerfade.dir/link.txt
                       ${build}/glimmerfade/plugin/CMakeFiles/Glimmerfade.dir/linkLibs.rsp)
  read_files(read ${depfiles})
  read_files(link_line ${link_files})
endif()

string(REGEX REPLACE "\\\\\n|[ \t\n]+" ";" read "${read}")
list(REMOVE_DUPLICATES read)
set(outside "")
foreach(file ${read})
  file(REAL_PATH ${file} file BASE_DIRECTORY ${build})
  string(FIND "${file}" "${WORK}/" in_work)
  string(FIND "${file}" "${IMGUI}/" in_imgui)
  string(FIND "${file}" "${SOURCE}/" in_source)
  string(FIND "${file}" "${BUILD}/" in_build)
  if(NOT in_work EQUAL 0 AND (NOT IMGUI OR NOT in_imgui EQUAL 0) AND (in_source EQUAL 0 OR in_build EQUAL 0))
    list(APPEND outside ${file})
  endif()
endforeach()
if(outside OR NOT "${WORK}/sdk/include/pluginsdk.h" IN_LIST read)
  list(JOIN outside "\n  " outside)
  message(FATAL_ERROR "The plug-in built alone did not read ${WORK}/sdk/include/pluginsdk.h, or read files "
                      "of this tree or build:\n  ${outside}")
endif()

string(REPLACE "${WORK}/" "" elsewhere "${link_line}")
string(FIND "${link_line}" "${WORK}/sdk/lib/" sdk_library)
string(FIND "${elsewhere}" "${SOURCE}/" from_source)
string(FIND "${elsewhere}" "${BUILD}/" from_build)
if(sdk_library EQUAL -1 OR NOT from_source EQUAL -1 OR NOT from_build EQUAL -1)
  message(FATAL_ERROR "Glimmerfade built alone is not linked against the SDK folder's library alone:\n${link_line}")
endif()
message(STATUS "The plug-in built alone read ${WORK}/sdk/include and no file of ${SOURCE} or ${BUILD}")
