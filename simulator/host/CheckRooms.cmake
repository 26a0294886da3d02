# An include runs only down the floors of the simulated host's rooms
# (HostFloors.cmake): a file of a room includes files of its own room or of
# rooms on lower floors, never of a room on its own floor or above. Run in
# every build, before the host library is compiled; a back arrow, or a room
# without a floor, fails it.
#
# Usage: cmake -DHOST_DIR=simulator/host -P CheckRooms.cmake

include("${CMAKE_CURRENT_LIST_DIR}/HostFloors.cmake")

file(GLOB_RECURSE files RELATIVE "${HOST_DIR}" "${HOST_DIR}/*.h" "${HOST_DIR}/*.cpp")
list(SORT files)
set(faults "")
foreach(file IN LISTS files)
  room_of("${file}" room)
  if(NOT DEFINED floor_of_${room})
    string(APPEND faults "  ${file}: the room ${room}/ stands on no floor (simulator/host/HostFloors.cmake)\n")
    continue()
  endif()
  file(STRINGS "${HOST_DIR}/${file}" includes REGEX "^#include \"host/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"host/([^\"]+)\".*" "\\1" included "${line}")
    room_of("${included}" target)
    if(NOT DEFINED floor_of_${target})
      string(APPEND faults "  ${file}: includes host/${included}, whose room stands on no floor\n")
      continue()
    endif()
    may_use(${room} ${target} allowed)
    if(NOT allowed)
      string(APPEND faults "  ${file}: includes host/${included}: ${target}/ is not below ${room}/\n")
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Includes against the floors of the simulated host's rooms:\n${faults}")
endif()
