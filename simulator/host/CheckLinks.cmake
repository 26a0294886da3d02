# No link runs up the floors of the simulated host's rooms (HostFloors.cmake):
# the object files of a room use only symbols that its own room or a room on
# a lower floor defines. The include check (CheckRooms.cmake) cannot see a
# function declared in a header below and defined in a room above, nor a call
# made through a declaration written by hand; the objects' symbol tables show
# both. Symbols defined by no object of the host (the C and C++ libraries, Dear
# ImGui) are not looked at. Run in every build once the host's objects are
# compiled; a use of a symbol that only a room beside or above defines fails it.
#
# Usage: cmake -DNM=nm -DOBJECT_ROOT=DIR -DOBJECTS="A.o|B.o|..." -P CheckLinks.cmake
#   NM: the build's nm (GNU nm, mingw-w64's or LLVM's: POSIX output, -P).
#   OBJECT_ROOT: the folder the host library's objects are made under, in
#   which each object's path starts with its room.

cmake_minimum_required(VERSION 3.20)
include("${CMAKE_CURRENT_LIST_DIR}/HostFloors.cmake")

string(REPLACE "|" ";" objects "${OBJECTS}")

# Symbols of one object in POSIX form ("NAME TYPE ..."), in the table's order.
function(symbols_of object demangle out)
  set(flags -P -p)
  if(demangle)
    list(APPEND flags -C)
  endif()
  execute_process(COMMAND "${NM}" ${flags} "${object}" OUTPUT_VARIABLE text ERROR_VARIABLE error
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} cannot read ${object}: ${error}")
  endif()
  # Demangled names hold brackets ("operator[]"), which would join list items.
  string(REPLACE "[" "<bracket>" text "${text}")
  string(REPLACE "]" "</bracket>" text "${text}")
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# Every object's room, what it defines and what it leaves undefined. Defined:
# an upper-case type but U (a weak definition, W or V, counts: an inline
# function is defined in every object that keeps a copy), or GNU's unique u.
set(index 0)
foreach(object IN LISTS objects)
  file(RELATIVE_PATH path "${OBJECT_ROOT}" "${object}")
  string(REGEX REPLACE "^(\\./)+" "" path "${path}")
  room_of("${path}" room)
  if(NOT DEFINED floor_of_${room})
    message(FATAL_ERROR "${path}: the room ${room}/ stands on no floor (simulator/host/HostFloors.cmake)")
  endif()
  set(path_${index} "${path}")
  set(room_${index} "${room}")
  set(undefined_${index} "")
  symbols_of("${object}" FALSE lines)
  set(line_number 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^ ]+) ([A-Za-z]) ?")
      set(symbol "${CMAKE_MATCH_1}")
      set(type "${CMAKE_MATCH_2}")
      if(type STREQUAL "U" OR type STREQUAL "w" OR type STREQUAL "v")
        list(APPEND undefined_${index} "${symbol}=${line_number}")
      elseif(type MATCHES "^[A-TV-Zu]$")
        string(MAKE_C_IDENTIFIER "${symbol}" key)
        list(APPEND defined_in_${key} ${room})
      endif()
    endif()
    math(EXPR line_number "${line_number} + 1")
  endforeach()
  math(EXPR index "${index} + 1")
endforeach()

# Each undefined symbol that the host defines must be defined in the user's
# room or below it.
set(faults "")
math(EXPR last "${index} - 1")
foreach(i RANGE ${last})
  set(room "${room_${i}}")
  set(demangled "")
  foreach(entry IN LISTS undefined_${i})
    string(REGEX REPLACE "=[0-9]+$" "" symbol "${entry}")
    string(REGEX REPLACE "^.*=" "" line_number "${entry}")
    string(MAKE_C_IDENTIFIER "${symbol}" key)
    if(NOT DEFINED defined_in_${key})
      continue()
    endif()
    set(allowed FALSE)
    foreach(definer IN LISTS defined_in_${key})
      may_use(${room} ${definer} this_one)
      if(this_one)
        set(allowed TRUE)
      endif()
    endforeach()
    if(allowed)
      continue()
    endif()
    if(NOT demangled)
      list(GET objects ${i} object)
      symbols_of("${object}" TRUE demangled)
    endif()
    list(GET demangled ${line_number} readable)
    string(REGEX REPLACE " [Uwv]( +[0-9a-fA-F]*)*$" "" readable "${readable}")
    string(REPLACE "<bracket>" "[" readable "${readable}")
    string(REPLACE "</bracket>" "]" readable "${readable}")
    list(REMOVE_DUPLICATES defined_in_${key})
    string(REPLACE ";" "/, " definers "${defined_in_${key}}")
    string(APPEND faults "  ${path_${i}} uses ${readable}, defined in ${definers}/, not below ${room}/\n")
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Links against the floors of the simulated host's rooms:\n${faults}")
endif()
