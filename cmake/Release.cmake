# The release of a Windows build, made by CPack: a zip of Glimmerfade.dll,
# the README's player guide as README.txt, the license, and SHA256SUMS of the
# three, in <build>/dist/ (`cpack --preset NAME`, or the workflow of the
# preset).
#
# Only a DLL built with Visual C++ (the windows-msvc preset) loads in the game:
# the host's SDK library is a Visual C++ one, and a DLL cross-built with
# mingw-w64 binds only to an SDK library built with GCC's C++ ABI, such as the
# simulated host's. So the cross build's zip is named and described as what it
# is, the package for the simulated host and for checking the package, and
# its README.txt says so first. Its DLL goes in stripped, with a debug link to
# Glimmerfade.dll.debug, which stays beside the zip.

set(GLIMMERFADE_RELEASE_DIR ${PROJECT_BINARY_DIR}/release)
set(GLIMMERFADE_DIST_DIR ${PROJECT_BINARY_DIR}/dist)
set(GLIMMERFADE_FOR_THE_GAME ${MSVC})

# README.txt: the lines between "<!-- player guide -->" and "<!-- end player guide -->".
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "<!-- player guide -->\n" guide_start)
string(FIND "${readme}" "<!-- end player guide -->" guide_end)
if(guide_start EQUAL -1 OR guide_end LESS guide_start)
  message(FATAL_ERROR "README.md has no player guide between <!-- player guide --> and <!-- end player guide -->")
endif()
string(LENGTH "<!-- player guide -->\n" marker_length)
math(EXPR guide_start "${guide_start} + ${marker_length}")
math(EXPR guide_length "${guide_end} - ${guide_start}")
string(SUBSTRING "${readme}" ${guide_start} ${guide_length} player_guide)
if(NOT GLIMMERFADE_FOR_THE_GAME)
  set(player_guide "This Glimmerfade.dll was cross-built with mingw-w64 for the simulated Corvane host
(corvane-sim) and to check the package. The game's Corvane, built with Visual C++,
cannot load it: players get Glimmerfade-${PROJECT_VERSION}-windows-x64.zip, built with Visual C++.

${player_guide}")
endif()
file(WRITE ${GLIMMERFADE_RELEASE_DIR}/README.txt "${player_guide}")

# The DLL as released. A cross-built one is split first: its debug information
# beside the zip, the zipped copy stripped and linked to it.
if(GLIMMERFADE_FOR_THE_GAME)
  install(TARGETS Glimmerfade LIBRARY DESTINATION . RUNTIME DESTINATION .)
else()
  add_custom_command(
    OUTPUT ${GLIMMERFADE_RELEASE_DIR}/Glimmerfade.dll ${GLIMMERFADE_DIST_DIR}/Glimmerfade.dll.debug
    COMMAND ${CMAKE_COMMAND} -E make_directory ${GLIMMERFADE_DIST_DIR}
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:Glimmerfade> ${GLIMMERFADE_DIST_DIR}/Glimmerfade.dll.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${GLIMMERFADE_DIST_DIR}/Glimmerfade.dll.debug
            $<TARGET_FILE:Glimmerfade> ${GLIMMERFADE_RELEASE_DIR}/Glimmerfade.dll
    DEPENDS Glimmerfade
    COMMENT "Splitting Glimmerfade.dll's debug information off into dist/Glimmerfade.dll.debug")
  add_custom_target(glimmerfade-release-dll ALL DEPENDS ${GLIMMERFADE_RELEASE_DIR}/Glimmerfade.dll)
  install(FILES ${GLIMMERFADE_RELEASE_DIR}/Glimmerfade.dll DESTINATION .)
endif()
install(FILES ${GLIMMERFADE_RELEASE_DIR}/README.txt ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
# Last, over what was installed.
install(CODE [[
  set(release "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  set(sums "")
  foreach(file Glimmerfade.dll README.txt LICENSE)
    file(SHA256 "${release}/${file}" sum)
    string(APPEND sums "${sum}  ${file}\n")
  endforeach()
  file(WRITE "${release}/SHA256SUMS" "${sums}")
]])

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Glimmerfade)
set(CPACK_PACKAGE_VENDOR Glimmerfade)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${GLIMMERFADE_DIST_DIR})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
if(GLIMMERFADE_FOR_THE_GAME)
  set(GLIMMERFADE_RELEASE_NAME Glimmerfade-${PROJECT_VERSION}-windows-x64)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Glimmerfade for Corvane: the plug-in DLL for the game")
else()
  set(GLIMMERFADE_RELEASE_NAME Glimmerfade-${PROJECT_VERSION}-windows-x64-simulated-host)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
      "Glimmerfade cross-built with mingw-w64, for the simulated Corvane host and to check the package")
endif()
set(CPACK_PACKAGE_FILE_NAME ${GLIMMERFADE_RELEASE_NAME})
include(CPack)
