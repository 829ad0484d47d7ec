#!/usr/bin/env bash
# Space pauses with the French line, space resumes; the progress strip shows
# at the bottom rows and seeks when clicked. Runs the real player with a
# loopback translation service. VOKABINO names the player binary.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
run_scenarios "$here/controls_e2e.sh" "${1:-}" pause-and-seek
work=$(mktemp -d)
cd "$work"
shots=${E2E_SHOTS:-$work}

python3 "$here/fake_translation_server.py" "$work/port" &
server=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
export VOKABINO_TRANSLATION_HOST="127.0.0.1:$(cat "$work/port")"

make_clip "$work/clip.mp4" 40
printf '1\r\n00:00:01,000 --> 00:00:20,000\r\nHello there\r\n\r\n2\r\n00:00:25,000 --> 00:00:35,000\r\nThe weather is nice today, my friend\r\n' >"$work/clip.srt"
start_player "$work/clip.mp4" "$work/clip.srt"
sleep 2

# Space while playing: pause, and the French line under the English one.
xdotool key space
sleep 1
import -window root "$shots/controls-paused.png"
paused=$(python3 "$here/shot_stats.py" "$shots/controls-paused.png" $band)
box=($(stat_of white_box "$paused"))
check "the paused view shows two lines (white rows ${box[1]:-?}..${box[3]:-?})" \
  test "${#box[@]}" -eq 4 -a $((${box[3]:-0} - ${box[1]:-0})) -gt 60
# The lines' white box starts at the flags; the French flag's red shows there.
flags=$(python3 "$here/shot_stats.py" "$shots/controls-paused.png" $((box[0] - 20)) "${box[1]}" $((box[0] + 35)) "${box[3]}" 237,41,57)
check "flags stand left of the lines" test "$(stat_of match "$flags")" -gt 20
check "the reply is kept in teste.txt" grep -q "<translation>Bonjour%20%E0%20toi</translation>" "$work/teste.txt"
check "the request carried the English line" grep -q "text=Hello%20there" "$work/port.requests"
frozen1=$(python3 "$here/shot_stats.py" "$shots/controls-paused.png" 0 0 "$W" "$H" | md5sum)
sleep 0.6
import -window root "$work/still.png"
check "the picture is frozen while paused" test "$(python3 "$here/shot_stats.py" "$work/still.png" 0 0 "$W" "$H" | md5sum)" = "$frozen1"

# Space again: playing, the English line alone.
xdotool key space
sleep 0.8
import -window root "$shots/controls-resumed.png"
resumed=$(python3 "$here/shot_stats.py" "$shots/controls-resumed.png" $band)
box2=($(stat_of white_box "$resumed"))
check "resuming shows the English line alone" \
  test "${#box2[@]}" -eq 4 -a $((${box2[3]:-99} - ${box2[1]:-0})) -lt 45

# The strip: shown on the lowest rows, hidden above them.
xdotool mousemove $((W / 2)) $((top + H / 2)); sleep 0.3
xdotool mousemove $((W / 2 + 5)) $((top + H / 2)); sleep 0.3
# The strip window stands at screen row H - 15, its bar 5 to 14 rows below.
strip_bar="0 $((H - 10)) $W $((H - 1)) 176,196,222"
xdotool mousemove $((W / 2)) $((top + H - 5)); sleep 0.5
import -window root "$shots/controls-strip.png"
strip=$(python3 "$here/shot_stats.py" "$shots/controls-strip.png" $strip_bar)
check "the strip shows at the bottom rows" test "$(stat_of match "$strip")" -gt $((W / 4))
# A click three quarters along the bar: the video goes to that moment.
xdotool mousemove $((W * 3 / 4)) $((H - 15 + 8)); sleep 0.3
xdotool click 1
sleep 1.5
import -window root "$shots/controls-after-seek.png"
seek=$(python3 "$here/shot_stats.py" "$shots/controls-after-seek.png" $band)
check "after seeking to about 30 s the second line shows" test "$(stat_of white "$seek")" -gt 2000
xdotool mousemove $((W / 2)) $((top + H / 2)); sleep 0.3
xdotool mousemove $((W / 2 + 5)) $((top + H / 2)); sleep 0.5
import -window root "$work/hidden.png"
hidden=$(python3 "$here/shot_stats.py" "$work/hidden.png" $strip_bar)
check "moving up hides the strip" test "$(stat_of match "$hidden")" -eq 0

xdotool search --name '^Vokabino beta 1.0$' windowactivate --sync key alt+F4 2>/dev/null
check "the close box ends the program" wait_exit "$pid" 10
check "with status 0" test "$exit_status" -eq 0
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$work"
finish
