# The host's SDK as a host ships it: one folder with the headers in include/
# and the library in lib/ (the .so on Linux; the import library on Windows,
# whose DLL lies in bin/). The simulated host installs its own so
# (`cmake --install BUILD --component sdk --prefix FOLDER`), and a build with
# GLIMMERFADE_HOST_SDK_DIR builds the plug-in alone against such a folder, the
# simulated host's or a real host's.

# The library's file name in lib/, as each platform names it.
if(WIN32)
  set(GLIMMERFADE_HOST_SDK_LIBRARY_NAME ${CMAKE_IMPORT_LIBRARY_PREFIX}pluginsdk${CMAKE_IMPORT_LIBRARY_SUFFIX})
else()
  set(GLIMMERFADE_HOST_SDK_LIBRARY_NAME ${CMAKE_SHARED_LIBRARY_PREFIX}pluginsdk${CMAKE_SHARED_LIBRARY_SUFFIX})
endif()

# The simulated host's SDK: the headers of sdk/, the plug-in's whole view of
# the host, and the library. Only an install of the component installs it;
# the release zips leave it out.
function(glimmerfade_install_host_sdk)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/sdk/ DESTINATION include COMPONENT sdk EXCLUDE_FROM_ALL)
  install(TARGETS pluginsdk COMPONENT sdk EXCLUDE_FROM_ALL
          RUNTIME DESTINATION bin LIBRARY DESTINATION lib ARCHIVE DESTINATION lib)
endfunction()

# The target pluginsdk of a build of the plug-in alone: the headers and the
# library of the SDK folder, and nothing of sdk/ or of the simulated host.
function(glimmerfade_import_host_sdk)
  set(include_dir ${GLIMMERFADE_HOST_SDK_INCLUDE_DIR})
  if(NOT include_dir)
    set(include_dir ${GLIMMERFADE_HOST_SDK_DIR}/include)
  endif()
  if(NOT EXISTS ${include_dir}/pluginsdk.h)
    message(FATAL_ERROR "No pluginsdk.h in ${include_dir}: set GLIMMERFADE_HOST_SDK_DIR to the host's SDK folder "
                        "(headers in include/), or GLIMMERFADE_HOST_SDK_INCLUDE_DIR to the folder of its pluginsdk.h")
  endif()
  set(library ${GLIMMERFADE_HOST_SDK_LIBRARY})
  if(NOT library)
    set(library ${GLIMMERFADE_HOST_SDK_DIR}/lib/${GLIMMERFADE_HOST_SDK_LIBRARY_NAME})
  endif()
  if(NOT EXISTS ${library})
    message(FATAL_ERROR "No SDK library ${library}: set GLIMMERFADE_HOST_SDK_DIR to the host's SDK folder "
                        "(${GLIMMERFADE_HOST_SDK_LIBRARY_NAME} in lib/), or GLIMMERFADE_HOST_SDK_LIBRARY to the library's file")
  endif()
  message(STATUS "The plug-in alone, against the host SDK's headers in ${include_dir} and its library ${library}")
  add_library(pluginsdk SHARED IMPORTED GLOBAL)
  if(WIN32)
    set_target_properties(pluginsdk PROPERTIES IMPORTED_IMPLIB ${library})
  else()
    set_target_properties(pluginsdk PROPERTIES IMPORTED_LOCATION ${library})
  endif()
  set_target_properties(pluginsdk PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${include_dir})
endfunction()
