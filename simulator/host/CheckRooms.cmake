# The rooms of the simulated host stand on floors, and an include runs only
# down: a file of a room includes files of its own room or of rooms on lower
# floors, never of a room on its own floor or above. The files at the top of
# host/ are the face, on the lowest floor. Run in every build, before the host
# library is compiled; a back arrow, or a room without a floor, fails it.
#
# Usage: cmake -DHOST_DIR=simulator/host -P CheckRooms.cmake

# Floors, lowest first; rooms on one floor are separated by commas.
set(floors
  "face"
  "threads"
  "world"
  "modules,pictures"
  "loop"
  "console"
  "settings"
  "client"
  "wrappers")

set(floor 0)
foreach(rooms IN LISTS floors)
  string(REPLACE "," ";" rooms "${rooms}")
  foreach(room IN LISTS rooms)
    set(floor_of_${room} ${floor})
  endforeach()
  math(EXPR floor "${floor} + 1")
endforeach()

# The room of a path under host/: its folder, or the face for a top file.
function(room_of path out)
  if(path MATCHES "^([^/]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    set(${out} "face" PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE files RELATIVE "${HOST_DIR}" "${HOST_DIR}/*.h" "${HOST_DIR}/*.cpp")
list(SORT files)
set(faults "")
foreach(file IN LISTS files)
  room_of("${file}" room)
  if(NOT DEFINED floor_of_${room})
    string(APPEND faults "  ${file}: the room ${room}/ stands on no floor (simulator/host/CheckRooms.cmake)\n")
    continue()
  endif()
  file(STRINGS "${HOST_DIR}/${file}" includes REGEX "^#include \"host/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"host/([^\"]+)\".*" "\\1" included "${line}")
    room_of("${included}" target)
    if(target STREQUAL room)
      continue()
    endif()
    if(NOT DEFINED floor_of_${target})
      string(APPEND faults "  ${file}: includes host/${included}, whose room stands on no floor\n")
    elseif(NOT floor_of_${target} LESS floor_of_${room})
      string(APPEND faults "  ${file}: includes host/${included}: ${target}/ is not below ${room}/\n")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Includes against the floors of the simulated host's rooms:\n${faults}")
endif()
