#!/usr/bin/env bash
# The files Oxbow writes for logic tools, opened by those tools: the simulated instrument sends
# "Hello" at 115200 Bd on D0, which Oxbow decodes itself (its --decode also switches the
# analyzer on); the sigrok session must open in sigrok-cli and decode there to the same bytes, and so must the VCD through sigrok-cli's VCD input. With "gtkwave" as
# the first argument the VCD is loaded in GTKWave instead (skipped, code 77, where it is absent).
# Usage: logic-tools.sh sigrok|gtkwave OXBOW_PROGRAM
set -euo pipefail
tool=${1:?sigrok or gtkwave}
oxbow=${2:?the oxbow program}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "$tool" = gtkwave ] && ! command -v gtkwave >/dev/null; then
  echo "GTKWave is not installed: skipped"
  exit 77
fi
command -v sigrok-cli >/dev/null || { echo "sigrok-cli is missing (scripts/setup.sh installs it)" >&2; exit 1; }

status=0
XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen "$oxbow" --sim --sim-fresh \
  --ch1 square,100,3Vpp --digital uart,tx=D0,baud=115200,text=Hello --run --quit-after 3000 \
  --decode uart:rx=D0:baudrate=115200 --save-sr "$work/hello.sr" --save-vcd "$work/hello.vcd" \
  >"$work/decoded.txt" || status=$?
[ "$status" -eq 18 ] || { echo "FAIL: oxbow ended with $status, not the normal 18" >&2; exit 1; }

want=$'48\n65\n6C\n6C\n6F'
own=$(sed -n 's/^[0-9]*-[0-9]* uart: RX: \([0-9A-F][0-9A-F]\)$/\1/p' "$work/decoded.txt")
[ "$own" = "$want" ] || { echo "FAIL: Oxbow decoded: $own" >&2; exit 1; }
bytes() { sed -n 's/^uart-1: //p'; }
if [ "$tool" = sigrok ]; then
  shown=$(sigrok-cli -i "$work/hello.sr" --show)
  grep -qx -- "- D0: logic" <<<"$shown" || { echo "FAIL: the session lacks D0: $shown" >&2; exit 1; }
  grep -qx "Samplerate: [1-9][0-9]*" <<<"$shown" || { echo "FAIL: no sample rate: $shown" >&2; exit 1; }
  got=$(sigrok-cli -i "$work/hello.sr" -P uart:rx=D0:baudrate=115200 -A uart=rx-data | bytes)
  [ "$got" = "$want" ] || { echo "FAIL: the session decodes to: $got" >&2; exit 1; }
  got=$(sigrok-cli -I vcd -i "$work/hello.vcd" -P uart:rx=D0:baudrate=115200 -A uart=rx-data | bytes)
  [ "$got" = "$want" ] || { echo "FAIL: the VCD decodes to: $got" >&2; exit 1; }
  echo "the session and the VCD decode to Hello in sigrok-cli"
else
  # GTKWave reads the dump and quits through its own script interface, without a display.
  echo 'gtkwave::/File/Quit' >"$work/quit.tcl"
  out=$(timeout 60 xvfb-run -a gtkwave -S "$work/quit.tcl" "$work/hello.vcd" 2>&1) ||
    { echo "FAIL: GTKWave did not load the VCD: $out" >&2; exit 1; }
  if grep -qi "error" <<<"$out"; then echo "FAIL: $out" >&2; exit 1; fi
  echo "GTKWave loaded the VCD"
fi
