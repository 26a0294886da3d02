#!/usr/bin/env bash
# Builds the page (the web preset, into ./build-web) and serves it on
# 127.0.0.1 with python3's http.server, printing the address. Installs what
# the build needs first when emscripten is missing.
#
# Usage: scripts/web.sh [PORT]   (default 8000)
set -euo pipefail
cd "$(dirname "$0")/.."
port="${1:-8000}"
if ! command -v em++ >/dev/null; then bash scripts/setup.sh web; fi
cmake --preset web >/dev/null
cmake --build --preset web --target glimmerfade-page
echo "Glimmerfade in a browser: http://127.0.0.1:$port/  (Ctrl-C stops the server)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/simulator/web/site
