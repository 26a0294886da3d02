# What Glimmerfade asks of the host's SDK: the functions its module imports
# from the SDK library (the module's undefined dynamic symbols that the
# library defines), demangled, in the standard library's plain spellings
# (std::string; no inline namespaces or ABI tags, which differ between
# libstdc++ and libc++), listed by class on the page between its markers.
# Compares the module's list with the page's and fails on a difference; with
# UPDATE=ON (or GLIMMERFADE_UPDATE_SDK_SURFACE=1 in the environment) writes
# the module's list onto the page instead.
#
#   cmake -DMODULE=FILE -DSDK_LIBRARY=FILE -DNM=nm -DPAGE=docs/sdk-surface.md [-DUPDATE=ON] -P cmake/SdkSurface.cmake

cmake_minimum_required(VERSION 3.25)

set(begin_marker "<!-- the module's imports from the SDK library: begin -->")
set(end_marker "<!-- the module's imports from the SDK library: end -->")
if("$ENV{GLIMMERFADE_UPDATE_SDK_SURFACE}" STREQUAL "1")
  set(UPDATE ON)
endif()
find_program(CXXFILT NAMES c++filt llvm-cxxfilt llvm-cxxfilt-14 REQUIRED)

# The mangled names of a file's dynamic symbols; ARGN chooses which.
function(dynamic_symbols out_var file)
  execute_process(COMMAND ${NM} -D --format=posix ${ARGN} ${file} RESULT_VARIABLE status
                  OUTPUT_VARIABLE text ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} cannot read ${file}: ${error}")
  endif()
  string(REGEX REPLACE " [^\n]*" "" text "${text}")
  string(REGEX REPLACE "@[^\n]*" "" text "${text}")
  string(REPLACE "\n" ";" names "${text}")
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()

dynamic_symbols(imported ${MODULE} --undefined-only)
dynamic_symbols(offered ${SDK_LIBRARY} --defined-only)
list(FILTER imported EXCLUDE REGEX "^$")
set(mangled "")
foreach(name ${imported})
  if(name IN_LIST offered)
    list(APPEND mangled ${name})
  endif()
endforeach()
if(NOT mangled)
  message(FATAL_ERROR "${MODULE} imports nothing from ${SDK_LIBRARY}")
endif()
execute_process(COMMAND ${CXXFILT} ${mangled} OUTPUT_VARIABLE text COMMAND_ERROR_IS_FATAL ANY)

# Plain spellings, one per line.
string(REGEX REPLACE "\\[abi:[^]]*\\]" "" text "${text}")
string(REGEX REPLACE "std::(__cxx11|__1)::" "std::" text "${text}")
string(REPLACE "std::__fs::" "std::" text "${text}")
string(REGEX REPLACE "[ \t]+" " " text "${text}")
string(REPLACE "> >" ">>" text "${text}")
string(REPLACE "std::basic_string<char, std::char_traits<char>, std::allocator<char>>" "std::string" text "${text}")
string(STRIP "${text}" text)
string(REPLACE "\n" ";" module_list "${text}")
list(SORT module_list)

# The page's list: the lines "- `NAME`" between the markers.
file(READ ${PAGE} page)
string(FIND "${page}" "${begin_marker}" begin)
string(FIND "${page}" "${end_marker}" end)
if(begin EQUAL -1 OR end LESS begin)
  message(FATAL_ERROR "${PAGE} has no list between \"${begin_marker}\" and \"${end_marker}\"")
endif()
math(EXPR length "${end} - ${begin}")
string(SUBSTRING "${page}" ${begin} ${length} listed)
string(REGEX MATCHALL "\n- `[^`\n]*`" listed "${listed}")
list(TRANSFORM listed REPLACE "^\n- `(.*)`$" "\\1")
list(SORT listed)

if(UPDATE)
  # By class: the name before the last "::" ahead of the parameters.
  set(classes "")
  foreach(name ${module_list})
    string(REGEX REPLACE "::[^:(]*\\(.*" "" class "${name}")
    list(APPEND classes ${class})
  endforeach()
  list(REMOVE_DUPLICATES classes)
  list(LENGTH module_list functions)
  list(LENGTH classes class_count)
  set(section "${begin_marker}\n${functions} functions of ${class_count} classes.\n")
  foreach(class ${classes})
    string(APPEND section "\n### ${class}\n\n")
    foreach(name ${module_list})
      string(FIND "${name}" "${class}::" at)
      if(at EQUAL 0)
        string(APPEND section "- `${name}`\n")
      endif()
    endforeach()
  endforeach()
  string(SUBSTRING "${page}" 0 ${begin} head)
  string(SUBSTRING "${page}" ${end} -1 tail)
  file(WRITE ${PAGE} "${head}${section}\n${tail}")
  message(STATUS "${PAGE}: ${functions} functions of ${class_count} classes")
  return()
endif()

if(NOT module_list STREQUAL listed)
  set(added ${module_list})
  set(gone ${listed})
  if(listed)
    list(REMOVE_ITEM added ${listed})
  endif()
  list(REMOVE_ITEM gone ${module_list})
  set(difference "")
  if(added)
    list(JOIN added "\n  + " added)
    string(APPEND difference "Imported, not listed:\n  + ${added}\n")
  endif()
  if(gone)
    list(JOIN gone "\n  - " gone)
    string(APPEND difference "Listed, not imported:\n  - ${gone}\n")
  endif()
  message(FATAL_ERROR "The module's use of the SDK differs from ${PAGE}.\n${difference}"
                      "If the change is meant, write the module's list onto the page with "
                      "GLIMMERFADE_UPDATE_SDK_SURFACE=1 ctest --preset linux -R SdkSurface, and review the page's diff.")
endif()
list(LENGTH listed functions)
message(STATUS "The module imports the ${functions} SDK functions ${PAGE} lists")
