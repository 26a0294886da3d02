# Dear ImGui's sources for builds that cannot link Debian's libimgui.a (the
# Windows build): Debian's source package "imgui" in the version of the
# installed libimgui-dev, fetched with apt at configure time into the build
# folder. apt runs on private source lists, package lists and cache: the
# machine's own package lists are never touched. GLIMMERFADE_IMGUI_SOURCE_DIR
# names a source tree to use instead.

function(_glimmerfade_run what log)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  file(APPEND ${log} "$ ${ARGN}\n${output}\n")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Cannot fetch Dear ImGui's sources: ${what} failed (${status}):\n${output}"
                        "Set GLIMMERFADE_IMGUI_SOURCE_DIR to an unpacked Dear ImGui ${IMGUI_VERSION} tree instead.")
  endif()
endfunction()

# Copies of the machine's apt sources that name source packages instead.
function(_glimmerfade_source_lists apt_dir)
  file(MAKE_DIRECTORY ${apt_dir}/sources.list.d)
  file(GLOB deb822 /etc/apt/sources.list.d/*.sources)
  foreach(file ${deb822})
    file(READ ${file} text)
    string(REGEX REPLACE "(^|\n)Types:[^\n]*" "\\1Types: deb-src" text "${text}")
    get_filename_component(name ${file} NAME)
    file(WRITE ${apt_dir}/sources.list.d/${name} "${text}")
  endforeach()
  set(one_line "")
  file(GLOB lists /etc/apt/sources.list /etc/apt/sources.list.d/*.list)
  foreach(file ${lists})
    file(STRINGS ${file} lines REGEX "^[ \t]*deb[ \t]")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*deb[ \t]" "deb-src " line "${line}")
      string(APPEND one_line "${line}\n")
    endforeach()
  endforeach()
  file(WRITE ${apt_dir}/sources.list "${one_line}")
endfunction()

# Sets out_var to the folder holding imgui.cpp and imgui.h.
function(glimmerfade_imgui_source out_var)
  if(GLIMMERFADE_IMGUI_SOURCE_DIR)
    if(NOT EXISTS ${GLIMMERFADE_IMGUI_SOURCE_DIR}/imgui.cpp)
      message(FATAL_ERROR "GLIMMERFADE_IMGUI_SOURCE_DIR=${GLIMMERFADE_IMGUI_SOURCE_DIR} holds no imgui.cpp")
    endif()
    set(${out_var} ${GLIMMERFADE_IMGUI_SOURCE_DIR} PARENT_SCOPE)
    return()
  endif()

  execute_process(COMMAND dpkg-query -W -f=\${source:Version} libimgui-dev
                  RESULT_VARIABLE status OUTPUT_VARIABLE IMGUI_VERSION ERROR_QUIET)
  if(NOT status EQUAL 0 OR IMGUI_VERSION STREQUAL "")
    message(FATAL_ERROR "libimgui-dev is not installed; its version names the Dear ImGui sources to fetch")
  endif()
  set(work ${CMAKE_BINARY_DIR}/_deps/imgui-${IMGUI_VERSION})
  set(tree ${work}/source)
  if(EXISTS ${tree}/imgui.cpp)
    set(${out_var} ${tree} PARENT_SCOPE)
    return()
  endif()

  message(STATUS "Fetching Debian's source package imgui=${IMGUI_VERSION}")
  file(REMOVE_RECURSE ${work})
  set(apt_dir ${work}/apt)
  file(MAKE_DIRECTORY ${apt_dir}/lists/partial ${apt_dir}/cache/archives/partial ${work}/download)
  _glimmerfade_source_lists(${apt_dir})
  set(apt_options
      -o Dir::Etc::SourceParts=${apt_dir}/sources.list.d -o Dir::Etc::SourceList=${apt_dir}/sources.list
      -o Dir::State::Lists=${apt_dir}/lists -o Dir::Cache=${apt_dir}/cache
      -o APT::Sandbox::User=root)
  set(log ${work}/fetch.log)
  _glimmerfade_run("apt-get update" ${log} apt-get -q update ${apt_options})
  _glimmerfade_run("apt-get source" ${log} ${CMAKE_COMMAND} -E chdir ${work}/download
                   apt-get -q source --download-only ${apt_options} imgui=${IMGUI_VERSION})
  file(GLOB dsc ${work}/download/*.dsc)
  _glimmerfade_run("dpkg-source" ${log} dpkg-source --no-copy -x ${dsc} ${tree})
  file(REMOVE_RECURSE ${apt_dir} ${work}/download)
  set(${out_var} ${tree} PARENT_SCOPE)
endfunction()
