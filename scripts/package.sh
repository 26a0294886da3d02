#!/usr/bin/env bash
# Makes the release for Windows from the windows-cross build (configured and
# built here if need be): dist/Glimmerfade-VERSION-windows-x64.zip, holding
# the stripped Glimmerfade.dll, the player guide as README.txt, LICENSE and
# SHA256SUMS. The DLL's debug information stays beside the zip as
# dist/Glimmerfade.dll.debug, which the DLL names in its debug link. VERSION is
# project()'s, read from the build's generated version header.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-windows

if [ ! -f "$build/CMakeCache.txt" ]; then cmake --preset windows-cross; fi
cmake --build --preset windows-cross --target Glimmerfade -j "${GLIMMERFADE_JOBS:-2}"

version="$(sed -n 's/^#define GLIMMERFADE_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/GlimmerfadeVersion.h")"
objcopy="$(sed -n 's/^CMAKE_OBJCOPY:FILEPATH=//p' "$build/CMakeCache.txt")"
dll="$build/modules/Glimmerfade.dll"
if [ -z "$version" ] || [ -z "$objcopy" ] || [ ! -f "$dll" ]; then
  echo "package.sh: $build lacks the version header, objcopy or $dll" >&2
  exit 1
fi

# The README's player part: between the lines "<!-- player guide -->" and
# "<!-- end player guide -->", or else from its title to "## For developers".
player_guide() {
  if grep -qx '<!-- player guide -->' README.md; then
    grep -qx '<!-- end player guide -->' README.md || return 1
    awk '$0 == "<!-- end player guide -->" { exit } on { print } $0 == "<!-- player guide -->" { on = 1 }' README.md
  else
    grep -qx '## For developers' README.md || return 1
    awk '$0 == "## For developers" { exit } /^# / { on = 1 } on { print }' README.md
  fi
}

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
rm -rf dist
mkdir -p dist
# The debug file keeps the symbol table too, so the zipped DLL goes without it.
"$objcopy" --only-keep-debug "$dll" dist/Glimmerfade.dll.debug
"$objcopy" --strip-all --add-gnu-debuglink=dist/Glimmerfade.dll.debug "$dll" "$stage/Glimmerfade.dll"
player_guide >"$stage/README.txt" && [ -s "$stage/README.txt" ] || {
  echo "package.sh: no player guide found in README.md" >&2
  exit 1
}
cp LICENSE "$stage/"
zip="Glimmerfade-$version-windows-x64.zip"
(
  cd "$stage"
  sha256sum Glimmerfade.dll README.txt LICENSE >SHA256SUMS
  cmake -E tar cf "$OLDPWD/dist/$zip" --format=zip Glimmerfade.dll README.txt LICENSE SHA256SUMS
  stat -c '%10s  %n' Glimmerfade.dll README.txt LICENSE SHA256SUMS
)
stat -c '%10s  %n' "dist/$zip" dist/Glimmerfade.dll.debug
