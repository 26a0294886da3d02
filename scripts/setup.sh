#!/usr/bin/env bash
# Installs the Debian packages the builds need (only those missing). Safe to
# run again. The Windows build uses the mingw-w64 compilers and objcopy, wine,
# GoogleTest's sources and dpkg-source for Dear ImGui's source package; the
# libcxx build clang with libc++, Ninja and the same sources; the web build
# emscripten, node with npm, and chromium-headless-shell.
set -euo pipefail

packages=(cmake g++ pkg-config nlohmann-json3-dev libimgui-dev libgtest-dev libgmock-dev
          libbenchmark-dev clang clang-tidy libclang-rt-14-dev libc++-dev libc++abi-dev ninja-build valgrind libedit-dev libosmesa6-dev
          libstb-dev g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 googletest dpkg-dev
          util-linux emscripten chromium-headless-shell)
# Debian's node and npm only where no node is installed already.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then packages+=(nodejs npm); fi
missing=()
for package in "${packages[@]}"; do
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
