# Shared by the quick-start scripts: the Debian packages the build needs and how to get them.

VANTRIX_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libsndfile1-dev   # WAV output of the offline renderer
  googletest        # unit tests, built from Debian's sources
  libbenchmark-dev  # benchmarks
  libfftw3-dev      # spectra in the oscillator tests
  libsimpleini-dev  # the settings file
  clang libclang-rt-14-dev # libFuzzer targets (scripts/fuzz.sh)
)

vantrix_missing_packages() {
  local p
  for p in "${VANTRIX_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

# Installs what is missing when run as root; otherwise prints the exact command and stops.
vantrix_ensure_packages() {
  local missing
  missing=$(vantrix_missing_packages | tr '\n' ' ')
  missing=${missing% }
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "vantrix: these Debian packages are missing: $missing" >&2
    echo "vantrix: install them as root, then run this again:" >&2
    echo "  apt-get install -y --no-install-recommends $missing" >&2
    exit 1
  fi
  echo "vantrix: installing $missing"
  export DEBIAN_FRONTEND=noninteractive
  # shellcheck disable=SC2086
  apt-get install -y --no-install-recommends $missing ||
    { apt-get update && apt-get install -y --no-install-recommends $missing; }
}

# Configures and builds one preset (release, debug, asan, tsan); optionally only some targets.
vantrix_build() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --target "$@" -- -j"$(nproc)"
  else
    cmake --build --preset "$preset" -- -j"$(nproc)"
  fi
}
