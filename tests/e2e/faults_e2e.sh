#!/usr/bin/env bash
# The real player against bad files and bad translation services: it says
# what is wrong or carries on without a translation, stays usable, and always
# exits with status 0. Each scenario gets its own X session.
# VOKABINO names the player binary.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
run_scenarios "$here/faults_e2e.sh" "${1:-}" empty-video directory-video truncated-video \
  vanished-subtitles service-down service-silent terminate
work=$(mktemp -d)
cd "$work"
shots=${E2E_SHOTS:-$work}
long_srt() {  # one line on screen from 1 s to 60 s
  printf '1\r\n00:00:01,000 --> 00:01:00,000\r\nHello there\r\n' >"$1"
}
close_player() {
  xdotool search --name '^Vokabino beta 1.0$' windowactivate --sync key alt+F4 2>/dev/null
  check "the close box ends the program" wait_exit "$pid" 10
  check "with status 0" test "$exit_status" -eq 0
}
# Red flag pixels in the overlay band now: the paused view is drawn.
flag_pixels() {
  import -window root "$work/flag.png"
  stat_of red "$(python3 "$here/shot_stats.py" "$work/flag.png" $band)"
}
# Height in rows of the white text in the overlay band now (0 for none).
text_rows() {
  import -window root "$work/now.png"
  local stats box
  stats=$(python3 "$here/shot_stats.py" "$work/now.png" $band)
  box=($(stat_of white_box "$stats"))
  if [ "${#box[@]}" -eq 4 ]; then echo $((box[3] - box[1])); else echo 0; fi
}

case "$1" in
empty-video)
  : >"$work/empty.mp4"
  "$VOKABINO" 2>/dev/null &
  pid=$!
  choose_video "$work/empty.mp4"
  check "a zero-byte video gives the Error box" wait_window '^Error$' 10
  xdotool search --name '^Error$' windowactivate --sync key Return 2>/dev/null
  check "the program ends" wait_exit "$pid"
  check "with status 0" test "$exit_status" -eq 0
  ;;
directory-video)
  mkdir -p "$work/films"
  "$VOKABINO" 2>/dev/null &
  pid=$!
  # Return on a folder opens it in the requester; the user then gives up.
  choose_video "$work/films"
  sleep 0.5
  check "a folder is not taken for a video" bash -c "! xdotool search --name '^Error$' >/dev/null"
  # Escape may first close the name completer's popup.
  for _ in 1 2 3; do
    xdotool search --onlyvisible --name "^$video_title\$" windowactivate --sync key Escape 2>/dev/null || break
    sleep 0.7
  done
  check "cancelling then ends the program" wait_exit "$pid"
  check "with status 0" test "$exit_status" -eq 0
  ;;
truncated-video)
  ffmpeg -loglevel error -y -f lavfi -i "color=c=0x102060:size=640x360:rate=24000/1001" \
    -f lavfi -i sine=frequency=440 -t 10 -c:v libx264 -pix_fmt yuv420p -c:a aac \
    -movflags +faststart "$work/whole.mp4"
  head -c $(($(stat -c %s "$work/whole.mp4") * 35 / 100)) "$work/whole.mp4" >"$work/clip.mp4"
  long_srt "$work/clip.srt"
  start_player "$work/clip.mp4" "$work/clip.srt"
  check "a truncated video still plays" kill -0 "$pid"
  # Its picture ends after about 3.5 s; then it stands stopped at the start.
  sleep 6
  xdotool key space
  sleep 1
  check "space after the end changes nothing (one line, no translation)" \
    test "$(text_rows)" -lt 45
  check "the player is still running" kill -0 "$pid"
  close_player
  ;;
vanished-subtitles)
  make_clip "$work/clip.mp4" 8 640x360
  long_srt "$work/gone.srt"
  "$VOKABINO" 2>/dev/null &
  pid=$!
  choose_video "$work/clip.mp4"
  wait_window "$dialog_title"
  sleep 0.3
  click_in "$dialog_title" 200 55
  xdotool type --delay 5 "$work/gone.srt"
  rm -f "$work/gone.srt"
  click_in "$dialog_title" 80 95
  check "the player opens without the file" wait_window '^Vokabino beta 1.0$' 10
  check "and says nothing" bash -c "! xdotool search --name '^Sous-titre$' >/dev/null"
  read -r W H < <(player_size)
  band="0 $((H - 210)) $W $((H - 60))"
  sleep 2.5
  check "no line is shown" test "$(text_rows)" -eq 0
  close_player
  ;;
service-down | service-silent)
  make_clip "$work/clip.mp4" 60 640x360
  long_srt "$work/clip.srt"
  if [ "$1" = service-down ]; then
    # A port nothing listens on: the connection is refused at once.
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  else
    python3 "$here/silent_server.py" "$work/port" &
    server=$!
    for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
    port=$(cat "$work/port")
  fi
  export VOKABINO_TRANSLATION_HOST="127.0.0.1:$port"
  start_player "$work/clip.mp4" "$work/clip.srt"
  sleep 2
  before=$(date +%s)
  xdotool key space
  # The paused view (the line with its flag) is drawn once the request has failed.
  for _ in $(seq 70); do
    sleep 0.5
    [ "$(flag_pixels)" -gt 10 ] && break
  done
  waited=$(($(date +%s) - before))
  if [ "$1" = service-silent ]; then
    check "a silent service is waited for (${waited}s)" test "$waited" -ge 9
  fi
  check "a failed translation leaves the English line alone (after ${waited}s)" test "$(text_rows)" -lt 45 -a "$(text_rows)" -gt 20
  check "the paused view comes within the client's time-outs" test "$waited" -le 32 -a "$(flag_pixels)" -gt 10
  check "no scratch file from a failed request" test ! -e "$work/teste.txt"
  xdotool key space
  sleep 1
  check "space again resumes and the player stays usable" kill -0 "$pid"
  close_player
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  ;;
terminate)
  make_clip "$work/clip.mp4" 20 640x360
  long_srt "$work/clip.srt"
  start_player "$work/clip.mp4" "$work/clip.srt"
  sleep 1
  kill -TERM "$pid"
  check "SIGTERM ends the program" wait_exit "$pid" 10
  check "with status 0" test "$exit_status" -eq 0
  "$VOKABINO" 2>/dev/null &
  pid=$!
  wait_window "^$video_title\$"
  kill -INT "$pid"
  check "SIGINT at the requester ends it too" wait_exit "$pid" 10
  check "with status 0" test "$exit_status" -eq 0
  ;;
esac

rm -rf "$work"
finish
