#!/usr/bin/env bash
# A short scripted session of the real player under valgrind's memcheck:
# choose a video and its subtitles, pause with a translation, resume, seek,
# close. Passes when valgrind finds no definite leak whose stack passes
# through Vokabino's own code (the vokabino namespace), and no invalid read
# or write there. Slow: about two minutes. VOKABINO names the player binary.
# usage: valgrind_e2e.sh [REPORT_FILE]
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec "$here/with_x.sh" "$here/valgrind_e2e.sh" "$@"
fi
. "$here/lib.sh"
work=$(mktemp -d)
report=${1:-$work/memcheck.txt}
cd "$work"

python3 "$here/fake_translation_server.py" "$work/port" &
server=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
export VOKABINO_TRANSLATION_HOST="127.0.0.1:$(cat "$work/port")"
make_clip "$work/clip.mp4" 20 320x180
printf '1\r\n00:00:01,000 --> 00:00:30,000\r\nHello there\r\n' >"$work/clip.srt"

valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --num-callers=40 --log-file="$report" \
  "$VOKABINO" 2>/dev/null &
pid=$!
choose_video "$work/clip.mp4"
wait_window "$dialog_title" 60
sleep 2
confirm_subtitles "$work/clip.srt"
check "the player opens under valgrind" wait_window '^Vokabino beta 1.0$' 60
sleep 8
xdotool key space
sleep 8
xdotool key space
sleep 4
read -r W H < <(player_size)
xdotool mousemove $((W / 2)) $((H - 3)); sleep 2
xdotool mousemove $((W / 2)) $((H - 15 + 8)); sleep 2
xdotool click 1
sleep 4
xdotool search --name '^Vokabino beta 1.0$' windowactivate --sync key alt+F4 2>/dev/null
check "the player ends" wait_exit "$pid" 120
check "with status 0" test "$exit_status" -eq 0
check "it asked for a translation" test -s "$work/teste.txt"

# Only the player's own process counts: a library may fork a short-lived
# copy of it (to start a helper program), whose heap at its exit is a snapshot.
main=$(sed -n '1s/^==\([0-9]*\)==.*/\1/p' "$report")
grep "^==$main==" "$report" >"$work/main.txt"
# A record is one of ours when a frame in its stack is in our namespace.
ours=$(awk '/^==[0-9]+== [0-9,]+ .*definitely lost/ {block=1; text=""}
            block {text = text $0 "\n"}
            block && /^==[0-9]+== $/ {if (text ~ /vokabino::/) print text; block=0}' "$work/main.txt")
check "no definite leak from our code" test -z "$ours"
[ -n "$ours" ] && echo "$ours"
errors=$(grep -E "Invalid (read|write)|uninitialised" -A 12 "$work/main.txt" | grep -c "vokabino::")
check "no invalid access in our code" test "$errors" -eq 0
grep -E "definitely lost|indirectly lost|possibly lost|ERROR SUMMARY" "$work/main.txt" | tail -4
kill "$server" 2>/dev/null
rm -rf "$work"
finish
