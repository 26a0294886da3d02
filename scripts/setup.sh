#!/usr/bin/env bash
# Installs the Debian packages that the named builds need (only those missing);
# with no name, what every build and the scripts run by hand need. Safe to run
# again.
#
# Usage: scripts/setup.sh [BUILD...]
#   linux          g++, CMake, Ninja and the libraries the plug-in, the simulator
#                  and its tests use: all that `cmake --workflow --preset linux`
#                  and scripts/run.sh need; every other build needs them too
#   lint           clang-tidy and clang-format
#   libcxx         clang with libc++, GoogleTest's sources, dpkg-source for Dear
#                  ImGui's source package
#   asan, tsan     clang and its sanitizer runtimes
#   windows-cross  the mingw-w64 compilers and binutils, wine, flock, the sources
#                  as for libcxx
#   web            emscripten, node with npm, chromium-headless-shell, python3,
#                  the sources as for libcxx
# and, with no name, valgrind for scripts/callgrind.sh.
set -euo pipefail

linux=(cmake ninja-build g++ pkg-config nlohmann-json3-dev libimgui-dev libstb-dev libgtest-dev libgmock-dev
       libbenchmark-dev libedit-dev libosmesa6-dev)
sources=(googletest dpkg-dev)
declare -A extra=(
  [linux]=""
  [lint]="clang clang-tidy clang-format"
  [libcxx]="clang libc++-dev libc++abi-dev ${sources[*]}"
  [asan]="clang libclang-rt-14-dev"
  [tsan]="clang libclang-rt-14-dev"
  [windows-cross]="g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 util-linux ${sources[*]}"
  [web]="emscripten chromium-headless-shell python3 ${sources[*]}"
)
builds=("$@")
if [ "${#builds[@]}" -eq 0 ]; then builds=("${!extra[@]}"); fi

packages=("${linux[@]}")
for build in "${builds[@]}"; do
  if [ -z "${extra[$build]+set}" ]; then
    echo "setup.sh: no build named $build (builds: ${!extra[*]})" >&2
    exit 2
  fi
  read -ra more <<<"${extra[$build]}"
  packages+=("${more[@]}")
  # Debian's node and npm only where no node is installed already.
  if [ "$build" = web ] && { ! command -v node >/dev/null || ! command -v npm >/dev/null; }; then
    packages+=(nodejs npm)
  fi
done
if [ "$#" -eq 0 ]; then packages+=(valgrind); fi

missing=()
for package in $(printf '%s\n' "${packages[@]}" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
