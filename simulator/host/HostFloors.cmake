# The floors of the simulated host's rooms, lowest first; rooms on one floor
# are separated by commas. A room may use its own files and those of the rooms
# on lower floors, never those of a room on its own floor or above: the
# include check (CheckRooms.cmake) and the link check (CheckLinks.cmake) both
# read them from here.
set(host_floors
  "base"
  "threads"
  "world"
  "modules,pictures"
  "loop"
  "console"
  "settings"
  "client"
  "wrappers"
  "facade")

set(floor 0)
foreach(rooms IN LISTS host_floors)
  string(REPLACE "," ";" rooms "${rooms}")
  foreach(room IN LISTS rooms)
    set(floor_of_${room} ${floor})
  endforeach()
  math(EXPR floor "${floor} + 1")
endforeach()

# The room of a path under host/: its folder; a file at the top of host/
# (Simulation.h, the public face) is the facade's; the one object a room's
# files make in a unity build, Unity/unity_ROOM_cxx.cxx.o, is that room's.
function(room_of path out)
  if(path MATCHES "^Unity/unity_([a-z]+)_cxx\\.")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(path MATCHES "^([^/]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    set(${out} "facade" PARENT_SCOPE)
  endif()
endfunction()

# Whether a room may use what the room `used` holds: its own room, or a room
# on a lower floor. Both rooms stand on a floor.
function(may_use room used out)
  if(room STREQUAL used OR floor_of_${used} LESS floor_of_${room})
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()
