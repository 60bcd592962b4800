#!/usr/bin/env bash
# Sets up the machine when needed, builds everything and runs the tests (under Xvfb,
# since the editor and widget tests draw real windows).
#
#   scripts/test.sh [ctest arguments...]
#       against the JUCE tree that scripts/setup.sh fetches, in build/
#   scripts/test.sh --juce-dir <tree> [ctest arguments...]
#       against any other JUCE 8 source tree (an upstream release, say), in a build folder of
#       its own: build-<tree's folder name>
#
# VARNU_BUILD_DIR names another build folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

die() { printf '[test] error: %s\n' "$*" >&2; exit 1; }

juce_dir=""
case "${1:-}" in
    --juce-dir)
        [ $# -ge 2 ] || die "--juce-dir needs the path of a JUCE source tree"
        juce_dir="$2"; shift 2 ;;
    --juce-dir=*)
        juce_dir="${1#--juce-dir=}"; shift ;;
esac

juce_args=()
if [ -n "$juce_dir" ]; then
    [ -f "$juce_dir/CMakeLists.txt" ] && [ -d "$juce_dir/modules" ] \
        || die "$juce_dir is not a JUCE source tree (no CMakeLists.txt and modules/)"
    juce_dir=$(cd "$juce_dir" && pwd)
    "$root/scripts/setup.sh" --packages
    build="${VARNU_BUILD_DIR:-$root/build-$(basename "$juce_dir")}"
    juce_args=(-DVARNU_JUCE_DIR="$juce_dir")
else
    "$root/scripts/setup.sh"
    build="${VARNU_BUILD_DIR:-$root/build}"
fi

printf '[test] building in %s\n' "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVARNU_BUILD_TESTS=ON "${juce_args[@]}"
cmake --build "$build" -j "$jobs"

cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j "$jobs" "$@"
