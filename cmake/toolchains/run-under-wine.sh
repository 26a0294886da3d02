#!/bin/sh
# Runs a program of the Windows build under wine64, in the build's own wine
# prefix: the build's CMAKE_CROSSCOMPILING_EMULATOR, for test discovery and
# for every test. Usage: run-under-wine.sh PREFIX PROGRAM [ARGUMENTS...]
#
# The first wine program of a prefix starts wine's background services, which
# keep that program's standard output open as long as the wine server lives:
# whoever waits for that output (CTest, test discovery) would wait for ever.
# So the first program to find no server starts one that stays up
# (wineserver -p), and the services with a program of its own whose output
# goes nowhere, before it runs the program it was asked for. The tests'
# cleanup fixture stops the server at the end of the run (wineserver -k).
set -e
prefix="$1"
shift
wine_dir=/usr/lib/wine
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
(
  flock 9
  # Exit status 0: a new server (2: one runs already).
  if "$wine_dir/wineserver" -p 2>/dev/null 9>&-; then
    "$wine_dir/wine64" cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&-
  fi
) 9>"$prefix.lock"
exec "$wine_dir/wine64" "$@"
