# Every file path and code name that a Markdown file of the repository shows
# in backticks exists: a path in the tree (from the repository's root or the
# page's folder, or as the end of a tracked path, as `host/Simulation.h`
# names simulator/host/Simulation.h), a name in the sources (each part of
# `NetcodeManager::SenderName` or `Suite.Test`, found in a tracked file that
# is not Markdown). Fails with every one that does not exist, by page and line.
# What a build or the machine makes (build folders, zips, modules, files under
# /usr) and placeholders in capitals (VERSION, FILE) are not looked for.
#
#   cmake -DSOURCE=DIR -P check_docs_names.cmake

cmake_minimum_required(VERSION 3.25)

# The repository's files: tracked, and new ones not ignored.
execute_process(COMMAND git ls-files --cached --others --exclude-standard WORKING_DIRECTORY ${SOURCE}
                OUTPUT_VARIABLE listed RESULT_VARIABLE status ERROR_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "git cannot list the files of ${SOURCE}")
endif()
string(REPLACE "\n" ";" files "${listed}")
list(FILTER files EXCLUDE REGEX "^$")

# Every folder of those files, with a "/" at its end.
set(folders "")
foreach(file ${files})
  get_filename_component(folder ${file} DIRECTORY)
  while(folder)
    list(APPEND folders "${folder}/")
    get_filename_component(folder ${folder} DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES folders)
# One line per path, each led by "/", so that "/NAME\n" finds the end of a path.
list(TRANSFORM files PREPEND "/" OUTPUT_VARIABLE paths)
list(TRANSFORM folders PREPEND "/" OUTPUT_VARIABLE folder_paths)
list(JOIN paths "\n" tree)
list(JOIN folder_paths "\n" folder_tree)
string(APPEND tree "\n${folder_tree}\n")

# The sources the names are looked for in: every tracked text file but the pages.
set(pages ${files})
list(FILTER pages INCLUDE REGEX "\\.md$")
set(sources ${files})
list(FILTER sources EXCLUDE REGEX "\\.(md|png|ico|woff2?)$|/corpus/")
set(code "")
foreach(file ${sources})
  file(READ ${SOURCE}/${file} text)
  string(APPEND code "${text}\n")
endforeach()
# Every word of the sources, one a line, so that a name is found whole.
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" words "${code}")
list(REMOVE_DUPLICATES words)
list(JOIN words "\n" words)
set(words "\n${words}\n")

# What a build makes or installs, and files that live outside the repository
# (a user's own presets, Dear ImGui's header).
set(product "\\.(so|dll|exe|zip|a|lib|wasm|data|debug|log|txt)$|^(build[-a-z]*|dist|bin|lib|include|modules|plugins)/")
set(product "${product}|^glimmerfade\\.js$|^CMakeUserPresets\\.json$|^imgui\\.h$")
set(missing "")
set(checked 0)
foreach(page ${pages})
  file(READ ${SOURCE}/${page} text)
  get_filename_component(page_folder ${page} DIRECTORY)
  # Characters that CMake's lists treat specially stand aside.
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REPLACE "[" "<open>" text "${text}")
  string(REPLACE "]" "<close>" text "${text}")
  string(REPLACE "\\" "<backslash>" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  set(fenced OFF)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^ *```")
      if(fenced)
        set(fenced OFF)
      else()
        set(fenced ON)
      endif()
      continue()
    endif()
    if(fenced OR NOT line MATCHES "`")
      continue()
    endif()
    string(REGEX MATCHALL "`[^`]+`" spans "${line}")
    foreach(span ${spans})
      string(REGEX REPLACE "^`(.*)`$" "\\1" span "${span}")
      string(REGEX REPLACE "=.*" "" name "${span}")  # an option or variable given a value
      string(REGEX REPLACE ":[0-9]+$" "" span "${span}")  # a file's line
      if(span MATCHES "^[A-Z][A-Za-z0-9]*\\.\\*$")  # every test of a suite
        string(REGEX REPLACE "\\.\\*$" "" name "${span}")
      endif()
      if(span MATCHES "^(application|text|image)/")
        # A media type.
      elseif(NOT span STREQUAL name AND span MATCHES "\\.\\*$")
        math(EXPR checked "${checked} + 1")
        if(NOT code MATCHES "[^A-Za-z0-9_]${name}(, |\\.)")
          list(APPEND missing "${page}:${number}: `${span}`: no suite ${name} in the sources")
        endif()
      elseif(span MATCHES "<|[ *$~{}'\"]|\\.\\.\\.|^-|^/|://" OR span MATCHES "[A-Z][A-Z][A-Z]*[-./]|[-./][A-Z][A-Z]+")
        # Text, a command line, a pattern, a machine's file, or a path with a placeholder: not looked for.
      elseif(span MATCHES "/|\\.(cpp|h|c|mjs|js|json|md|cmake|sh|py|sim|png|supp|map|rc|in|out|css|html|dict|tsv)$")
        math(EXPR checked "${checked} + 1")
        set(path ${span})
        string(REGEX REPLACE "#.*" "" path "${path}")
        set(found OFF)
        if(EXISTS ${SOURCE}/${path} OR EXISTS ${SOURCE}/${page_folder}/${path})
          set(found ON)
        else()
          string(FIND "${tree}" "/${path}\n" at)
          if(NOT at EQUAL -1 OR path MATCHES "${product}")
            set(found ON)
          endif()
        endif()
        if(NOT found)
          list(APPEND missing "${page}:${number}: `${span}`: no such file or folder")
        endif()
      elseif(name MATCHES "^[A-Za-z_][A-Za-z0-9_]*((::|\\.)~?[A-Za-z_][A-Za-z0-9_]*)*(\\(\\))?$"
             AND name MATCHES "[a-z][A-Z]|[A-Z][a-z]|_|::|^[A-Z][A-Z0-9]+$")
        math(EXPR checked "${checked} + 1")
        string(REGEX REPLACE "\\(\\)$" "" name "${name}")
        # A test, Suite.Name: as CTest or GoogleTest names it.
        if(name MATCHES "^([A-Z][A-Za-z0-9]*)\\.([A-Z][A-Za-z0-9]*)$")
          string(FIND "${code}" "${CMAKE_MATCH_1}, ${CMAKE_MATCH_2})" as_gtest)
          string(FIND "${code}" "${name}" as_ctest)
          if(as_gtest EQUAL -1 AND as_ctest EQUAL -1)
            list(APPEND missing "${page}:${number}: `${span}`: no such test in the sources")
          endif()
          continue()
        endif()
        string(REPLACE "::" "." name "${name}")
        string(REPLACE "." ";" parts "${name}")
        foreach(part ${parts})
          string(FIND "${words}" "\n${part}\n" at)
          if(at EQUAL -1)
            list(APPEND missing "${page}:${number}: `${span}`: \"${part}\" is in no source")
            break()
          endif()
        endforeach()
      endif()
    endforeach()
  endforeach()
endforeach()

list(LENGTH pages page_count)
if(missing)
  list(LENGTH missing count)
  string(REPLACE "<semicolon>" ";" missing "${missing}")
  list(JOIN missing "\n" report)
  string(REPLACE "<open>" "[" report "${report}")
  string(REPLACE "<close>" "]" report "${report}")
  string(REPLACE "<backslash>" "\\" report "${report}")
  message("${report}")
  message(FATAL_ERROR "${count} of the ${checked} paths and names that ${page_count} pages show do not exist")
endif()
message(STATUS "The ${checked} paths and names that ${page_count} pages show all exist")
