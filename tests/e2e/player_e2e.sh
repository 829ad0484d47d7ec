#!/usr/bin/env bash
# The real player from the requesters to playing subtitles. Each scenario
# gets its own X session. VOKABINO names the player binary.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
run_scenarios "$here/player_e2e.sh" "${1:-}" subtitles cancel
work=$(mktemp -d)
cd "$work"
shots=${E2E_SHOTS:-$work}

case "$1" in
subtitles)
  make_clip "$work/clip.mp4" 12
  printf '1\r\n00:00:01,000 --> 00:00:03,500\r\nHello there\r\n\r\n2\r\n00:00:04,000 --> 00:00:08,000\r\nThe weather is nice today, my friend\r\n' >"$work/clip.srt"
  "$VOKABINO" 2>"$work/stderr.txt" &
  pid=$!
  choose_video "$work/clip.mp4"
  check "the subtitle dialog appears once the video is open" wait_window "$dialog_title"
  confirm_subtitles "$work/clip.srt"
  check "the playback window appears" wait_window '^Vokabino beta 1.0$' 10
  check "the dialog is gone" wait_gone "$dialog_title" 5
  read -r W H < <(player_size)
  check "the playback window is maximised (${W}x${H})" test "${W:-0}" -ge 1200 -a "${H:-0}" -ge 700
  band="0 $((H - 210)) $W $((H - 60))"
  # The first line is due at 1 s of video.
  sleep 2.2
  import -window root "$shots/player-first-line.png"
  first=$(python3 "$here/shot_stats.py" "$shots/player-first-line.png" $band)
  box=($(stat_of white_box "$first"))
  check "the first line is drawn in white in the overlay band" test "$(stat_of white "$first")" -gt 300
  if [ "${#box[@]}" -eq 4 ]; then
    centre=$(((box[0] + box[2]) / 2))
    check "the line is centred (centre $centre of $W)" test $((centre - W / 2)) -le 12 -a $((W / 2 - centre)) -le 12
  else
    check "the line is centred" false
  fi
  check "no key colour shows anywhere" test "$(stat_of key "$first")" -eq 0
  IFS=, read -r r g b <<<"$(stat_of common "$first")"
  check "the navy video shows around the line ($r,$g,$b)" test "$b" -gt 80 -a "$r" -lt 40 -a "$g" -lt 60
  # The second line replaces the first from 4 s on.
  sleep 2.6
  import -window root "$shots/player-second-line.png"
  second=$(python3 "$here/shot_stats.py" "$shots/player-second-line.png" $band)
  box2=($(stat_of white_box "$second"))
  if [ "${#box2[@]}" -eq 4 ] && [ "${#box[@]}" -eq 4 ]; then
    check "the next line replaces it (wider: ${box[0]}..${box[2]} then ${box2[0]}..${box2[2]})" \
      test "${box2[0]}" -lt "${box[0]}" -a "${box2[2]}" -gt "${box[2]}"
  else
    check "the next line replaces it" false
  fi
  xdotool search --name '^Vokabino beta 1.0$' windowactivate --sync key alt+F4 2>/dev/null
  check "the close box ends the program" wait_exit "$pid" 10
  check "with status 0" test "$exit_status" -eq 0
  ;;
cancel)
  make_clip "$work/clip.mp4" 3
  "$VOKABINO" 2>/dev/null &
  pid=$!
  choose_video "$work/clip.mp4"
  check "the subtitle dialog appears" wait_window "$dialog_title"
  sleep 0.3
  click_in "$dialog_title" 230 95
  check "Annuler ends the program" wait_exit "$pid" 10
  check "with status 0" test "$exit_status" -eq 0
  ;;
esac

rm -rf "$work"
finish
