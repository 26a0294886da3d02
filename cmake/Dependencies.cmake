# The libraries the build uses, as the targets DearImGui,
# nlohmann_json::nlohmann_json and GTest::gtest / GTest::gtest_main.

# Dear ImGui built as a static library from a source tree.
function(glimmerfade_imgui_library source_dir)
  add_library(DearImGui STATIC
    ${source_dir}/imgui.cpp ${source_dir}/imgui_draw.cpp ${source_dir}/imgui_tables.cpp
    ${source_dir}/imgui_widgets.cpp ${source_dir}/misc/cpp/imgui_stdlib.cpp)
  target_include_directories(DearImGui PUBLIC ${source_dir})
endfunction()

if(MINGW)
  # Windows with mingw-w64, cross-built on Debian.
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsDependencies.cmake)
elseif(EMSCRIPTEN)
  # WebAssembly: built from sources as for Windows, never from the machine's
  # own x86 libraries. GoogleTest without threads, which the build has none of.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsDependencies.cmake)
  # GoogleTest's project() read emscripten's platform settings anew.
  set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS TRUE)
  # A main module links every archive whole, so an archive named twice on a
  # link line defines its symbols twice: gtest_main does not name gtest again
  # after the tests that link both.
  set_property(TARGET gtest_main PROPERTY INTERFACE_LINK_LIBRARIES "")
elseif(MSVC)
  # Windows with Visual C++, the plug-in alone: Dear ImGui from a source tree
  # given by the user (the version the host runs), nlohmann/json from the
  # user's package manager.
  if(NOT EXISTS "${GLIMMERFADE_IMGUI_SOURCE_DIR}/imgui.cpp")
    message(FATAL_ERROR "Set GLIMMERFADE_IMGUI_SOURCE_DIR to an unpacked Dear ImGui source tree")
  endif()
  glimmerfade_imgui_library(${GLIMMERFADE_IMGUI_SOURCE_DIR})
  find_package(nlohmann_json 3.9.1 REQUIRED)
else()
  # Linux: Debian's packages.
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)
  add_library(DearImGui INTERFACE)
  target_link_libraries(DearImGui INTERFACE PkgConfig::IMGUI)
  find_package(nlohmann_json 3.9.1 REQUIRED)
  find_package(GTest REQUIRED)
  if(GLIMMERFADE_PICTURES)
    pkg_check_modules(OSMESA IMPORTED_TARGET osmesa)
    pkg_check_modules(STB IMPORTED_TARGET stb)
    if(NOT OSMESA_FOUND OR NOT STB_FOUND)
      message(FATAL_ERROR "Pictures of settings pages need libosmesa6-dev and libstb-dev "
                          "(bash scripts/setup.sh installs them), or configure with -DGLIMMERFADE_PICTURES=OFF")
    endif()
  endif()
endif()
find_package(Threads REQUIRED)
