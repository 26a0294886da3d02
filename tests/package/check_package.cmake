# Unpacks the cross build's zip into WORK and fails unless it holds exactly
# Glimmerfade.dll, README.txt, docs/players.md (which README.txt links to),
# LICENSE and SHA256SUMS, the checksums of the other four hold, README.txt says first that the DLL is not for the game,
# the DLL has no debug information but a link to the Glimmerfade.dll.debug
# beside the zip, and it imports only Windows system DLLs and pluginsdk.dll.
#   cmake -DZIP=... -DWORK=DIR -DOBJDUMP=... -P check_package.cmake
cmake_minimum_required(VERSION 3.25)

function(run out_var)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command} failed:\n${output}")
  endif()
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()

if(NOT EXISTS "${ZIP}")
  message(FATAL_ERROR "No zip at ${ZIP}: make it with cpack --preset windows-cross")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
run(unused ${CMAKE_COMMAND} -E tar xf ${ZIP})
file(GLOB_RECURSE files LIST_DIRECTORIES true RELATIVE ${WORK} ${WORK}/*)
list(SORT files)
if(NOT files STREQUAL "Glimmerfade.dll;LICENSE;README.txt;SHA256SUMS;docs;docs/players.md")
  message(FATAL_ERROR "${ZIP} holds '${files}'")
endif()

file(READ ${WORK}/SHA256SUMS sums)
string(REGEX REPLACE "[0-9a-f]+  " "" summed "${sums}")
if(NOT summed STREQUAL "Glimmerfade.dll\nREADME.txt\ndocs/players.md\nLICENSE\n")
  message(FATAL_ERROR "SHA256SUMS does not sum the DLL, README.txt, docs/players.md and LICENSE:\n${sums}")
endif()
run(unused sha256sum --check --strict SHA256SUMS)

file(STRINGS ${WORK}/README.txt first_lines LIMIT_COUNT 3)
if(NOT first_lines MATCHES "cross-built with mingw-w64 for the simulated Corvane host.*cannot load it")
  message(FATAL_ERROR "README.txt does not say first that this DLL is not for the game:\n${first_lines}")
endif()

get_filename_component(dist ${ZIP} DIRECTORY)
run(sections ${OBJDUMP} -h Glimmerfade.dll)
run(debug_sections ${OBJDUMP} -h ${dist}/Glimmerfade.dll.debug)
if(sections MATCHES " \\.debug_" OR NOT sections MATCHES " \\.gnu_debuglink "
   OR NOT debug_sections MATCHES " \\.debug_info ")
  message(FATAL_ERROR "The DLL is not stripped with a debug link to its debug information")
endif()

# The Windows system DLLs a mingw-w64 build may import: never a compiler's
# runtime DLL, which players do not have.
set(allowed advapi32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll ws2_32.dll
            pluginsdk.dll)
run(headers ${OBJDUMP} -p Glimmerfade.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
string(TOLOWER "${imports}" imports)
string(REPLACE "dll name: " "" imports "${imports}")
if(NOT "pluginsdk.dll" IN_LIST imports)
  message(FATAL_ERROR "The DLL does not import pluginsdk.dll: '${imports}'")
endif()
list(REMOVE_ITEM imports ${allowed})
if(imports)
  message(FATAL_ERROR "The DLL imports ${imports}")
endif()
