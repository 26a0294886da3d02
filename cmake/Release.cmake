# The release of a build, made by CPack into <build>/dist/ (`cpack --preset
# NAME`, or the workflow of the preset): from a Windows build, a zip of
# Glimmerfade.dll, the README's player guide as README.txt with the page of
# examples it links to (docs/players.md), the license, and SHA256SUMS of the
# four; from the web build, a zip of the page, a folder any
# static web server can serve.
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

# The README's player guide: the lines between "<!-- player guide -->" and
# "<!-- end player guide -->".
function(glimmerfade_player_guide out_var)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
  file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
  set(start_marker "<!-- player guide -->\n")
  string(FIND "${readme}" "${start_marker}" start)
  string(FIND "${readme}" "<!-- end player guide -->" end)
  if(start EQUAL -1 OR end LESS start)
    message(FATAL_ERROR "README.md has no player guide between <!-- player guide --> and <!-- end player guide -->")
  endif()
  string(LENGTH "${start_marker}" marker_length)
  math(EXPR start "${start} + ${marker_length}")
  math(EXPR length "${end} - ${start}")
  string(SUBSTRING "${readme}" ${start} ${length} guide)
  set(${out_var} "${guide}" PARENT_SCOPE)
endfunction()

if(EMSCRIPTEN)
  # The page as the build makes it, with a README that tells how to serve it.
  set(page ${GLIMMERFADE_PAGE_DIR})
  file(WRITE ${GLIMMERFADE_RELEASE_DIR}/README.txt
"Glimmerfade ${PROJECT_VERSION} in a browser: the real plug-in in a simulated match of
three clients. Serve this folder with any static web server and open its
index.html through it (a page opened from the file system cannot load
WebAssembly); for instance: python3 -m http.server --directory FOLDER.
The server must send .wasm files as application/wasm (python3's server,
nginx and Apache do by default); .js as text/javascript, .css as text/css,
.html as text/html and .data as application/octet-stream.
")
  install(FILES ${page}/index.html ${page}/page.css ${page}/page.js ${page}/glimmerfade.js ${page}/glimmerfade.wasm
                ${page}/glimmerfade.data ${GLIMMERFADE_RELEASE_DIR}/README.txt ${PROJECT_SOURCE_DIR}/LICENSE
          DESTINATION .)
  set(GLIMMERFADE_RELEASE_NAME Glimmerfade-${PROJECT_VERSION}-web)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Glimmerfade in a browser: the page, for any static web server")
else()
  glimmerfade_player_guide(readme_text)
  if(MSVC)
    set(GLIMMERFADE_RELEASE_NAME Glimmerfade-${PROJECT_VERSION}-windows-x64)
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Glimmerfade for Corvane: the plug-in DLL for the game")
    install(TARGETS Glimmerfade LIBRARY DESTINATION . RUNTIME DESTINATION .)
  else()
    set(GLIMMERFADE_RELEASE_NAME Glimmerfade-${PROJECT_VERSION}-windows-x64-simulated-host)
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
        "Glimmerfade cross-built with mingw-w64, for the simulated Corvane host and to check the package")
    set(readme_text "This Glimmerfade.dll was cross-built with mingw-w64 for the simulated Corvane host
(corvane-sim) and to check the package. The game's Corvane, built with Visual C++,
cannot load it: players get Glimmerfade-${PROJECT_VERSION}-windows-x64.zip, built with Visual C++.

${readme_text}")
    # The DLL split: its debug information beside the zip, the zipped copy
    # stripped and linked to it.
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
  file(WRITE ${GLIMMERFADE_RELEASE_DIR}/README.txt "${readme_text}")
  install(FILES ${GLIMMERFADE_RELEASE_DIR}/README.txt ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/players.md DESTINATION docs)
  # Last, over what was installed.
  install(CODE [[
    set(release "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    set(sums "")
    foreach(file Glimmerfade.dll README.txt docs/players.md LICENSE)
      file(SHA256 "${release}/${file}" sum)
      string(APPEND sums "${sum}  ${file}\n")
    endforeach()
    file(WRITE "${release}/SHA256SUMS" "${sums}")
  ]])
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Glimmerfade)
set(CPACK_PACKAGE_VENDOR Glimmerfade)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${GLIMMERFADE_DIST_DIR})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME ${GLIMMERFADE_RELEASE_NAME})
include(CPack)
