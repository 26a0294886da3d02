# The libraries the build uses, as the targets DearImGui,
# nlohmann_json::nlohmann_json and GTest::gtest / GTest::gtest_main. A build of
# the plug-in alone (GLIMMERFADE_HOST_SDK_DIR) needs the first two only.

# Dear ImGui built as a static library from a source tree.
function(glimmerfade_imgui_library source_dir)
  add_library(DearImGui STATIC
    ${source_dir}/imgui.cpp ${source_dir}/imgui_draw.cpp ${source_dir}/imgui_tables.cpp
    ${source_dir}/imgui_widgets.cpp ${source_dir}/misc/cpp/imgui_stdlib.cpp)
  target_include_directories(DearImGui PUBLIC ${source_dir})
endfunction()

# The plug-in draws into the host's Dear ImGui context, whose layout and
# functions are those of the host's version: a plug-in built with other
# sources of Dear ImGui would read and write it wrongly.
function(glimmerfade_check_imgui_version header)
  file(STRINGS ${header} line REGEX "^#define IMGUI_VERSION +\"")
  string(REGEX MATCH "\"([^\"]*)\"" line "${line}")
  set(version "${CMAKE_MATCH_1}")
  if(NOT version STREQUAL GLIMMERFADE_HOST_IMGUI_VERSION)
    message(FATAL_ERROR "Dear ImGui ${version} (${header}) is not the host's Dear ImGui "
                        "${GLIMMERFADE_HOST_IMGUI_VERSION}: the plug-in draws into the host's Dear ImGui context, so it "
                        "must be built with the host's version. Give the sources of the host's version "
                        "(GLIMMERFADE_IMGUI_SOURCE_DIR), or set GLIMMERFADE_HOST_IMGUI_VERSION to the version "
                        "the host runs.")
  endif()
endfunction()

# pkg-config finds Debian's libraries of a Linux build (and line editing's libedit).
if(NOT WIN32 AND NOT EMSCRIPTEN)
  find_package(PkgConfig REQUIRED)
endif()

if(GLIMMERFADE_DEPENDENCIES_FROM_SOURCE)
  # mingw-w64, emscripten and libc++: Dear ImGui and GoogleTest built here.
  if(EMSCRIPTEN)
    # GoogleTest without threads, which the build has none of.
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  endif()
  include(${CMAKE_CURRENT_LIST_DIR}/DependenciesFromSource.cmake)
  glimmerfade_check_imgui_version(${IMGUI_SOURCE_DIR}/imgui.h)
  if(EMSCRIPTEN)
    # GoogleTest's project() read emscripten's platform settings anew.
    set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS TRUE)
    # A main module links every archive whole, so an archive named twice on a
    # link line defines its symbols twice: gtest_main does not name gtest again
    # after the tests that link both.
    set_property(TARGET gtest_main PROPERTY INTERFACE_LINK_LIBRARIES "")
  endif()
elseif(MSVC)
  # Windows with Visual C++, the plug-in alone: Dear ImGui from a source tree
  # given by the user (the version the host runs), nlohmann/json from the
  # user's package manager.
  if(NOT EXISTS "${GLIMMERFADE_IMGUI_SOURCE_DIR}/imgui.cpp")
    message(FATAL_ERROR "Set GLIMMERFADE_IMGUI_SOURCE_DIR to an unpacked Dear ImGui source tree")
  endif()
  glimmerfade_imgui_library(${GLIMMERFADE_IMGUI_SOURCE_DIR})
  glimmerfade_check_imgui_version(${GLIMMERFADE_IMGUI_SOURCE_DIR}/imgui.h)
  find_package(nlohmann_json 3.9.1 REQUIRED)
else()
  # Linux: Debian's packages.
  pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
  add_library(DearImGui INTERFACE)
  target_link_libraries(DearImGui INTERFACE PkgConfig::IMGUI)
  find_path(IMGUI_HEADER_DIR imgui.h PATHS ${IMGUI_INCLUDE_DIRS} NO_DEFAULT_PATH REQUIRED)
  glimmerfade_check_imgui_version(${IMGUI_HEADER_DIR}/imgui.h)
  find_package(nlohmann_json 3.9.1 REQUIRED)
  if(NOT GLIMMERFADE_HOST_SDK_DIR)
    find_package(GTest REQUIRED)
  endif()
endif()
# Mesa's off-screen OpenGL and stb, C libraries, for pictures (Linux).
if(GLIMMERFADE_PICTURES AND NOT GLIMMERFADE_HOST_SDK_DIR)
  pkg_check_modules(OSMESA IMPORTED_TARGET osmesa)
  pkg_check_modules(STB IMPORTED_TARGET stb)
  if(NOT OSMESA_FOUND OR NOT STB_FOUND)
    message(FATAL_ERROR "Pictures of settings pages need libosmesa6-dev and libstb-dev "
                        "(bash scripts/setup.sh installs them), or configure with -DGLIMMERFADE_PICTURES=OFF")
  endif()
endif()
find_package(Threads REQUIRED)
