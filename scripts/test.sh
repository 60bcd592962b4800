#!/usr/bin/env bash
# Sets up the machine when needed, builds everything and runs the tests (under Xvfb,
# since the editor and widget tests draw real windows).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VARNU_BUILD_DIR:-$root/build}"
jobs=$(nproc)

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$jobs"

cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$jobs" "$@"
