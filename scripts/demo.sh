#!/usr/bin/env bash
# Main job: install the build dependencies, build in Release and render the bundled demo song
# through the instrument to ./demo.wav.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(pwd)/demo.wav
source "$root/scripts/common.sh"
cd "$root"

vantrix_ensure_packages
vantrix_build release vantrix-render
build/release/tools/render/vantrix-render --demo --out "$out"
