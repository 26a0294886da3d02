# The WebAssembly build (the web preset, Debian's emscripten): the simulated
# host is linked into each program, which is emscripten's main module, and
# every plug-in module stays a module of its own, a side module that the host
# opens with dlopen, so that each client has its own instance of each, as on
# Linux and Windows.

# emscripten's platform file turns SHARED and MODULE libraries into static
# ones; side modules are what its dlopen loads.
set_property(GLOBAL PROPERTY TARGET_SUPPORTS_SHARED_LIBS TRUE)
set(CMAKE_SHARED_MODULE_SUFFIX .so)
set(CMAKE_SHARED_MODULE_CREATE_CXX_FLAGS "-sSIDE_MODULE=1")
set(CMAKE_SHARED_LIBRARY_CREATE_CXX_FLAGS "-sSIDE_MODULE=1")

# A side module's calls by name (emscripten makes one of every call that may
# throw) resolve to the program's definition of that name before the
# module's own. So the programs export only what is marked for export, the
# SDK's interface, as a Windows DLL does: the program's copies of Dear ImGui
# or nlohmann/json never stand in for a module's own, whose exceptions its
# own handlers then would not catch.
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

# C++ exceptions are off in emscripten unless asked for, when compiling and
# when linking.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# The host library is linked whole into each program: the modules find the
# SDK's symbols there.
set(CORVANE_SDK_LIBRARY_TYPE OBJECT)

# The linking every program needs: the main module, whose symbols the side
# modules import, and memory that grows as modules are loaded.
set(GLIMMERFADE_WASM_PROGRAM_OPTIONS -sMAIN_MODULE=1 -sALLOW_MEMORY_GROWTH=1)

# A program run by node (CTest runs it under CMAKE_CROSSCOMPILING_EMULATOR):
# it sees the machine's files, and its exit status is node's. It is linked at
# -O1: its code keeps the compiler's optimisation, but binaryen's whole-program
# passes, which took some 18 of the 20 seconds of linking each such program
# and shave little off a test's run, are left to the page.
function(glimmerfade_node_program target)
  target_link_options(${target} PRIVATE ${GLIMMERFADE_WASM_PROGRAM_OPTIONS} -sNODERAWFS=1 -sEXIT_RUNTIME=1 -O1)
endfunction()
