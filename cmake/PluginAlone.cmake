# Builds Glimmerfade alone against the SDK that a build of the simulated host
# installs, as a modder builds it against a host's SDK folder:
#
#   cmake -DBUILD=DIR -DWORK=DIR [-DGENERATOR=NAME] [-DOPTIONS="-DA=1|-DB=2"] -P cmake/PluginAlone.cmake
#
# It installs BUILD's sdk component into WORK/sdk; copies the plug-in's
# sources, without sdk/ and simulator/, into WORK/source, so that neither is
# within the build's reach; and configures and builds them in WORK/build with
# GLIMMERFADE_HOST_SDK_DIR=WORK/sdk and OPTIONS (the compilers and flags of
# BUILD). WORK/modules then holds BUILD's plug-in modules with this
# Glimmerfade in place of BUILD's own, for `corvane-sim --modules WORK/modules`.

cmake_minimum_required(VERSION 3.25)

set(source_dir ${CMAKE_CURRENT_LIST_DIR}/..)
string(REPLACE "|" ";" options "${OPTIONS}")
if(GENERATOR)
  list(APPEND options -G ${GENERATOR})
endif()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${output}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
run("Installing the SDK" ${CMAKE_COMMAND} --install ${BUILD} --component sdk --prefix ${WORK}/sdk)
file(COPY ${source_dir}/CMakeLists.txt ${source_dir}/README.md ${source_dir}/LICENSE ${source_dir}/cmake
          ${source_dir}/glimmerfade DESTINATION ${WORK}/source)
run("Configuring the plug-in alone" ${CMAKE_COMMAND} -S ${WORK}/source -B ${WORK}/build ${options}
    -DGLIMMERFADE_HOST_SDK_DIR=${WORK}/sdk)
run("Building the plug-in alone" ${CMAKE_COMMAND} --build ${WORK}/build --target Glimmerfade)

file(COPY ${BUILD}/modules/ DESTINATION ${WORK}/modules)
file(GLOB module ${WORK}/build/modules/Glimmerfade.*)
file(COPY ${module} DESTINATION ${WORK}/modules)
message(STATUS "Glimmerfade built alone against ${WORK}/sdk: ${module}")
