#!/usr/bin/env bash
# Main job: install the build dependencies, build in Release, install the VST3 plug-in into the
# user's VST3 folder and render the bundled demo song through the installed plug-in to
# ./demo.wav.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(pwd)/demo.wav
source "$root/scripts/common.sh"
cd "$root"

vantrix_ensure_packages
vantrix_build release vantrix-render vantrix_vst3
# ~/.vst3 is where Linux hosts look for a user's plug-ins.
vst3_dir="$HOME/.vst3"
cmake --install build/release --component vst3 --prefix "$vst3_dir" >/dev/null
echo "vantrix: installed the plug-in as $vst3_dir/Vantrix.vst3"
build/release/tools/render/vantrix-render --plugin "$vst3_dir/Vantrix.vst3" --demo --out "$out"
