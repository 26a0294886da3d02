# Every option of the build, with the builds it applies to. The presets in
# CMakePresets.json set these for each named build.

# Google Benchmark, libFuzzer and Mesa's off-screen OpenGL (OSMesa) exist for
# the Linux builds only; a Windows or WebAssembly build's host refuses pictures
# with an error.
set(linux_only_default ON)
if(WIN32 OR EMSCRIPTEN)
  set(linux_only_default OFF)
endif()

option(GLIMMERFADE_WARNINGS_AS_ERRORS
       "Treat warnings in our own code as errors (on in every preset but windows-msvc, and by default with mingw-w64)"
       ${MINGW})
option(GLIMMERFADE_BENCH "Build the benchmarks (Linux)" ${linux_only_default})
option(GLIMMERFADE_PICTURES "Build the settings-window picture renderer (Linux, needs OSMesa)" ${linux_only_default})
option(GLIMMERFADE_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(GLIMMERFADE_THREAD_SANITIZER
       "Build everything with ThreadSanitizer (clang): the game thread, the render thread and setters of console variables checked for data races"
       OFF)
option(GLIMMERFADE_STDLIB_ASSERTIONS
       "Check the standard library's indexes and preconditions (_GLIBCXX_ASSERTIONS): an element read one past a container's end aborts instead of reading whatever lies there (on in the sanitizer build)"
       ${GLIMMERFADE_SANITIZE})
option(GLIMMERFADE_FUZZ "Build the libFuzzer targets (clang, in the sanitizer build)" OFF)
option(GLIMMERFADE_CLANG_TIDY "Run clang-tidy (.clang-tidy) on the plug-in's code as it builds; a finding fails the build (the lint preset)" OFF)
set(GLIMMERFADE_FUZZ_SECONDS 60 CACHE STRING "How long each fuzz test runs, in seconds")

# Windows and WebAssembly builds. Visual C++ needs the Dear ImGui sources of the
# version the host runs; mingw-w64 and emscripten fetch Debian's source package
# unless given a tree.
set(GLIMMERFADE_IMGUI_SOURCE_DIR "" CACHE PATH
    "An unpacked Dear ImGui source tree to build from (Windows and WebAssembly builds)")
set(GLIMMERFADE_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest's source tree (mingw-w64, emscripten)")
set(GLIMMERFADE_LINUX_SIM_TOOL ${CMAKE_SOURCE_DIR}/build/simulator/tools/corvane-sim CACHE FILEPATH
    "corvane-sim of a Linux build, whose output the cross-built one must match (Windows and WebAssembly builds)")
set(GLIMMERFADE_HOST_SDK_LIBRARY "" CACHE FILEPATH
    "The real host's SDK import library (pluginsdk.lib): build only the plug-in, linked against it")
