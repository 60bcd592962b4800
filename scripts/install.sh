#!/usr/bin/env bash
# Sets up the machine, builds the VST3 bundle and installs it into ~/.vst3.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VARNU_BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --target QelVarnu_VST3 -j "$(nproc)"

bundle="$build/QelVarnu_artefacts/Release/VST3/QEL VARNU.vst3"
[ -d "$bundle" ] || { echo "[install] the build left no bundle at $bundle" >&2; exit 1; }
mkdir -p "$HOME/.vst3"
rm -rf "$HOME/.vst3/QEL VARNU.vst3"
cp -a "$bundle" "$HOME/.vst3/"
echo "[install] installed $HOME/.vst3/QEL VARNU.vst3"
