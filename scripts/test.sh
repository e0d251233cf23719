#!/usr/bin/env bash
# Whole test suite: install the build dependencies, build and run every test with ctest.
# Usage: scripts/test.sh [release|debug|asan|tsan]   (default release)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=${1:-release}
source "$root/scripts/common.sh"
cd "$root"

vantrix_ensure_packages
vantrix_build "$preset"
ctest --preset "$preset" -j"$(nproc)"
