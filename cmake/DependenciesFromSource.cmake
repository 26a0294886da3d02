# Dependencies built from sources on this machine, for builds whose C++
# standard library is not the one Debian's libraries are built with (mingw-w64,
# emscripten, clang's libc++): Dear ImGui from Debian's source package,
# GoogleTest from Debian's googletest sources (not for the plug-in alone),
# nlohmann/json from its headers alone. The headers of /usr/include are never
# on the include path: glibc's headers must not mix with mingw-w64's, nor
# libstdc++'s with libc++'s.

include(${CMAKE_CURRENT_LIST_DIR}/DebianImGuiSource.cmake)

# Dear ImGui as a static library; each module that links it has its own copy.
glimmerfade_imgui_source(IMGUI_SOURCE_DIR)
glimmerfade_imgui_library(${IMGUI_SOURCE_DIR})

# nlohmann/json: a folder that holds only a link to its header folder.
set(JSON_HEADERS /usr/include/nlohmann)
set(json_version_file ${JSON_HEADERS}/detail/abi_macros.hpp)  # 3.11 and later
if(NOT EXISTS ${json_version_file})
  set(json_version_file ${JSON_HEADERS}/json.hpp)
endif()
set(json_version "")
foreach(part MAJOR MINOR PATCH)
  file(STRINGS ${json_version_file} line REGEX "#define NLOHMANN_JSON_VERSION_${part} [0-9]+")
  string(REGEX MATCH "_${part} ([0-9]+)" line "${line}")
  list(APPEND json_version ${CMAKE_MATCH_1})
endforeach()
string(REPLACE ";" "." json_version "${json_version}")
if(NOT EXISTS ${JSON_HEADERS}/json.hpp OR json_version VERSION_LESS 3.9.1)
  message(FATAL_ERROR "nlohmann/json 3.9.1 or later is needed in ${JSON_HEADERS} (found '${json_version}')")
endif()
set(JSON_INCLUDE_DIR ${CMAKE_BINARY_DIR}/_deps/json-include)
file(MAKE_DIRECTORY ${JSON_INCLUDE_DIR})
if(NOT EXISTS ${JSON_INCLUDE_DIR}/nlohmann)
  file(CREATE_LINK ${JSON_HEADERS} ${JSON_INCLUDE_DIR}/nlohmann SYMBOLIC)
endif()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${JSON_INCLUDE_DIR})

# GoogleTest from Debian's sources (package googletest), without GoogleMock.
if(GLIMMERFADE_HOST_SDK_DIR)
  return()
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GLIMMERFADE_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
