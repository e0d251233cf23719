#!/bin/sh
# ardour_check.sh -- checks the plug-in in a real VST3 host: Debian's Ardour 7, run headless
# through its Lua interpreter (ardour7-lua) with the "None (Dummy)" audio backend.
#
# usage: tools/ardour_check.sh [BUNDLE.vst3]      (default: build/release/Vantrix.vst3)
#
# 1. Ardour finds the plug-in, lists its parameters and plays the demo song from a MIDI region;
#    the render is not silent (compared in level with vantrix-render --plugin on the same bundle).
# 2. Automation: a ramp of "Volume" from 0.3 to 0 over the song, played back from the session;
#    against the plain render the level must fall as the ramp does.
# 3. Session round trip (roundtrip.sh): save, reopen, save again, reopen: the parameter values,
#    the plug-in's saved state and the renders are identical.
#
# Needs the headless-Ardour scripts (render.sh, roundtrip.sh, vst3lib.lua, wavtool.py) in
# $VANTRIX_ARDOUR_TOOLS (default: shared/tools/ardour beside the repository). Installs ardour
# and sox with apt-get when they are missing and it runs as root. Not part of CI: Ardour's
# headless mode is slow and crashes now and then (its scripts retry each step).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
BUNDLE=$(realpath "${1:-$root/build/release/Vantrix.vst3}")
TOOLS=$(cd "${VANTRIX_ARDOUR_TOOLS:-$root/../shared/tools/ardour}" && pwd)
RENDER=${VANTRIX_RENDER:-$root/build/release/tools/render/vantrix-render}
MIDI=$root/resources/demo/demo.mid
SECS=24

[ -d "$BUNDLE" ] || { echo "ardour_check: no bundle $BUNDLE (build it first)" >&2; exit 2; }
if ! command -v ardour7-lua >/dev/null 2>&1 || ! command -v sox >/dev/null 2>&1; then
	[ "$(id -u)" -eq 0 ] || { echo "ardour_check: run as root or: apt-get install -y ardour sox" >&2; exit 2; }
	DEBIAN_FRONTEND=noninteractive apt-get install -y ardour sox >/dev/null
fi
OUT=$(mktemp -d /tmp/vantrix-ardour.XXXXXX)
echo "ardour_check: bundle $BUNDLE, results in $OUT"

# RMS of FILE over [FROM, TO) seconds, in dBFS.
rms_db() {
	python3 - "$TOOLS" "$1" "$2" "$3" <<'PY'
import math, sys
sys.path.insert(0, sys.argv[1])
from wavtool import read_wav
channels, rate, samples = read_wav(sys.argv[2])
a, b = int(float(sys.argv[3]) * rate) * channels, int(float(sys.argv[4]) * rate) * channels
part = samples[a:b]
rms = math.sqrt(sum(x * x for x in part) / max(1, len(part)))
print('%.1f' % (20 * math.log10(rms) if rms > 0 else -200))
PY
}

echo "== 1. found, parameters listed, the demo played from a MIDI region"
"$TOOLS/render.sh" -l "$BUNDLE" "$MIDI" "$OUT/ardour.wav" "$SECS" > "$OUT/render.log"
grep -E '^PLUGIN' "$OUT/render.log"
echo "parameters Ardour shows: $(grep -c '^PARAM	' "$OUT/render.log")"
python3 "$TOOLS/wavtool.py" stat "$OUT/ardour.wav"
if [ -x "$RENDER" ]; then
	# The same song with the same (default) settings through vantrix-render as the host.
	"$RENDER" --plugin "$BUNDLE" --midi "$MIDI" --seconds "$SECS" --out "$OUT/vantrix-render.wav" >/dev/null
	echo "RMS 0-20 s: Ardour $(rms_db "$OUT/ardour.wav" 0 20) dBFS," \
	     "vantrix-render --plugin $(rms_db "$OUT/vantrix-render.wav" 0 20) dBFS"
fi

echo "== 2. automation of \"Volume\" from 0.3 to 0, played back"
HERE=$TOOLS
. "$TOOLS/_common.sh"
make_work vantrix-automation
write_export_preset SF_Float
resolve_plugin "$BUNDLE"
run_lua create render.lua create "$PLUGIN" "$WORK" "$SECS" rate=48000 ||
	{ echo "FAILED: create (see $WORK)" >&2; exit 1; }
HERE=$root/tools/ardour run_lua automate automate.lua "$TOOLS" "$WORK" Volume 0.3 0 ||
	{ echo "FAILED: automation (see $WORK)" >&2; exit 1; }
grep '^AUTOMATION' "$WORK/automate.log"
run_lua export render.lua export "$MIDI" "$WORK" ||
	{ echo "FAILED: export (see $WORK)" >&2; exit 1; }
cp "$WORK/out/render.wav" "$OUT/automated.wav"
# Against the plain render: over 0-4 s the ramp averages 0.275, over 16-18 s 0.0875, so with a
# linear volume the level there is 9.9 dB lower; at least 6 dB are required.
start_plain=$(rms_db "$OUT/ardour.wav" 0 4) start_auto=$(rms_db "$OUT/automated.wav" 0 4)
end_plain=$(rms_db "$OUT/ardour.wav" 16 18) end_auto=$(rms_db "$OUT/automated.wav" 16 18)
echo "RMS 0-4 s: plain $start_plain, automated $start_auto dBFS;" \
     "16-18 s: plain $end_plain, automated $end_auto dBFS"
python3 -c "import sys; s0, s1, e0, e1 = map(float, sys.argv[1:])
sys.exit(0 if abs(s0 - s1) < 3 and (e1 - e0) < (s1 - s0) - 6 else 1)" \
	"$start_plain" "$start_auto" "$end_plain" "$end_auto" ||
	{ echo "FAILED: the automation did not shape the level" >&2; exit 1; }
echo "AUTOMATION PASS"
rm -rf "$WORK"

echo "== 3. session saved and reopened: same parameters, state and sound"
"$TOOLS/roundtrip.sh" -s "Filter Cutoff=0.3" -s "Osc1 Type=2" "$BUNDLE" "$MIDI" "$SECS" |
	tee "$OUT/roundtrip.log" | grep -E '^(params|state chunk|audio|parameter count|ROUNDTRIP)'
grep -q '^ROUNDTRIP PASS' "$OUT/roundtrip.log"
echo "ardour_check: all checks passed"
