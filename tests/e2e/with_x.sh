#!/usr/bin/env bash
# Runs a command inside a private X server (Xvfb) with the openbox window
# manager, then stops both by process id. Usage: with_x.sh [-s WxH] cmd args...
set -u
size=1280x800
if [ "${1:-}" = "-s" ]; then size=$2; shift 2; fi
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -dpi 96 3>"$fdfile" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.05; done
display=":$(head -n1 "$fdfile")"
rm -f "$fdfile"
export DISPLAY=$display
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
  sleep 0.05
done
"$@"
rc=$?
kill "$wm" "$xvfb" 2>/dev/null
wait "$wm" "$xvfb" 2>/dev/null
exit $rc
