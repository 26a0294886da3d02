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
       "Treat warnings in our own code as errors (on in every preset, and by default with mingw-w64)"
       ${MINGW})
option(GLIMMERFADE_BENCH "Build the benchmarks (Linux)" ${linux_only_default})
option(GLIMMERFADE_PICTURES "Build the settings-window picture renderer (Linux, needs OSMesa)" ${linux_only_default})
option(GLIMMERFADE_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(GLIMMERFADE_THREAD_SANITIZER
       "Build everything with ThreadSanitizer (clang): the game thread, the render thread and setters of console variables checked for data races"
       OFF)
option(GLIMMERFADE_STDLIB_ASSERTIONS
       "Check the standard library's indexes and preconditions (_GLIBCXX_ASSERTIONS, and _LIBCPP_ENABLE_ASSERTIONS with libc++): an element read one past a container's end aborts instead of reading whatever lies there (on in the sanitizer and libcxx builds)"
       ${GLIMMERFADE_SANITIZE})
option(GLIMMERFADE_STDLIB_MODULES
       "Compile our own code with the standard library's headers as clang modules, so that a file that uses a standard header it does not include fails to compile whatever its other headers include (clang with libc++; on in the libcxx build)"
       OFF)
option(GLIMMERFADE_FUZZ "Build the libFuzzer targets (clang, in the sanitizer build)" OFF)
option(GLIMMERFADE_CLANG_TIDY "Run clang-tidy (.clang-tidy) on the plug-in's code as it builds; a finding fails the build (the lint preset)" OFF)
set(GLIMMERFADE_FUZZ_SECONDS 10 CACHE STRING "How long each fuzz test runs, in seconds (scripts/fuzz.sh runs them longer)")

# Windows and WebAssembly builds. Visual C++ needs the Dear ImGui sources of the
# version the host runs; mingw-w64 and emscripten fetch Debian's source package
# unless given a tree.
set(GLIMMERFADE_IMGUI_SOURCE_DIR "" CACHE PATH
    "An unpacked Dear ImGui source tree to build from (Windows and WebAssembly builds)")
set(GLIMMERFADE_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest's source tree (builds with GLIMMERFADE_DEPENDENCIES_FROM_SOURCE)")

# Dear ImGui and GoogleTest have C++ interfaces: builds whose C++ standard
# library is not the one Debian's libraries are built with (mingw-w64,
# emscripten, clang's libc++) build them from sources, so that no interface
# joins two standard libraries.
set(dependencies_from_source_default OFF)
if(MINGW OR EMSCRIPTEN)
  set(dependencies_from_source_default ON)
endif()
option(GLIMMERFADE_DEPENDENCIES_FROM_SOURCE
       "Build Dear ImGui (Debian's source package) and GoogleTest (/usr/src/googletest) from sources instead of linking Debian's libraries (on with mingw-w64 and emscripten, and in the libcxx preset)"
       ${dependencies_from_source_default})

# The plug-in draws into the host's Dear ImGui context, so it must be built
# with the host's version of Dear ImGui.
set(GLIMMERFADE_HOST_IMGUI_VERSION 1.86 CACHE STRING
    "The host's Dear ImGui version (IMGUI_VERSION of its imgui.h): the sources the plug-in is built with must be the same")

# The plug-in alone, against a host's SDK folder as a host ships it (what
# `cmake --install BUILD --component sdk` makes of the simulated host):
# headers in include/, the library to link in lib/ (libpluginsdk.so;
# pluginsdk.lib with Visual C++; libpluginsdk.dll.a with mingw-w64, the DLL in
# bin/). The two variables after it serve an SDK laid out otherwise.
set(GLIMMERFADE_HOST_SDK_DIR "" CACHE PATH
    "A host's SDK folder: build only the plug-in, against its headers and library (the windows-msvc preset needs it)")
set(GLIMMERFADE_HOST_SDK_INCLUDE_DIR "" CACHE PATH
    "The folder of the host SDK's pluginsdk.h, when it is not GLIMMERFADE_HOST_SDK_DIR/include")
set(GLIMMERFADE_HOST_SDK_LIBRARY "" CACHE FILEPATH
    "The host SDK's library file to link, when it is not the platform's name in GLIMMERFADE_HOST_SDK_DIR/lib")
# A module built alone carries no sanitizer of its own, which the sanitizer
# builds' corvane-sim would need.
set(plugin_alone_default ${linux_only_default})
if(GLIMMERFADE_SANITIZE OR GLIMMERFADE_THREAD_SANITIZER)
  set(plugin_alone_default OFF)
endif()
option(GLIMMERFADE_TEST_PLUGIN_ALONE
       "Test the plug-in built alone against this build's installed SDK, run in this build's corvane-sim (Linux builds without sanitizers, and the windows-cross preset)"
       ${plugin_alone_default})
