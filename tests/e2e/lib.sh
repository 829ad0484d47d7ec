# Shared helpers for the end-to-end scripts; sourced, inside with_x.sh.
# VOKABINO is the player binary; every check prints one line and counts.
passed=0
failed=0
check() {  # check "what" command...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok: $what"
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
# Waits up to $2 seconds (default 10) for a window whose name matches $1.
wait_window() {
  local name=$1 limit=${2:-10} i
  for ((i = 0; i < limit * 10; i++)); do
    xdotool search --name "$name" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
# Waits up to $2 seconds for process $1 to end; its status goes to $exit_status.
wait_exit() {
  local pid=$1 limit=${2:-10} i
  for ((i = 0; i < limit * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      exit_status=$?
      return 0
    fi
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  exit_status=999
  return 1
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

video_title='Veuillez choisir le fichier vid.+ ouvrir'
dialog_title='lection des sous-titres$'

# Makes a clip of $2 seconds at 23.976 frames a second, plain navy with a
# tone, at path $1 (size $3, default 1280x720).
make_clip() {
  ffmpeg -loglevel error -y -f lavfi -i "color=c=0x102060:size=${3:-1280x720}:rate=24000/1001" \
    -f lavfi -i sine=frequency=440 -t "$2" -c:v libx264 -pix_fmt yuv420p -c:a aac "$1"
}

# Answers the video requester with a typed path.
choose_video() {
  wait_window "^$video_title\$" || return 1
  sleep 0.5
  xdotool search --name "^$video_title\$" windowactivate --sync type --delay 5 "$1" 2>/dev/null
  local _
  for _ in 1 2 3; do
    sleep 0.7
    xdotool search --onlyvisible --name "^$video_title\$" >/dev/null 2>&1 || return 0
    xdotool key Return
  done
}

# Sets X, Y, WIDTH, HEIGHT to the client area of the first visible window
# named $1, in screen pixels.
client_area() {
  local id info
  id=$(xdotool search --onlyvisible --name "$1" | head -n1)
  [ -n "$id" ] || return 1
  info=$(xwininfo -id "$id")
  X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  WIDTH=$(sed -n 's/.*Width: *//p' <<<"$info")
  HEIGHT=$(sed -n 's/.*Height: *//p' <<<"$info")
}

# Clicks at x, y of the client area of the first window named $1.
click_in() {
  client_area "$1" || return 1
  xdotool mousemove $((X + $2)) $((Y + $3)) sleep 0.2 click 1
}

# Types $1 into the subtitle dialog's path field and confirms.
confirm_subtitles() {
  wait_window "$dialog_title" || return 1
  sleep 0.3
  click_in "$dialog_title" 200 55
  xdotool type --delay 5 "$1"
  sleep 0.2
  click_in "$dialog_title" 80 95
}

# Prints the client width and height of the playback window.
player_size() {
  client_area '^Vokabino beta 1.0$' || return 1
  echo "$WIDTH $HEIGHT"
}

# Reads one key=value line of shot_stats.py output into a shell variable.
stat_of() {
  sed -n "s/^$1=//p" <<<"$2"
}

# Waits up to $2 seconds (default 10) until no visible window matches $1.
wait_gone() {
  local name=$1 limit=${2:-10} i
  for ((i = 0; i < limit * 10; i++)); do
    xdotool search --onlyvisible --name "$name" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# At the top of a scenario script: outside an X session (or with no scenario
# named), runs the script once per scenario, each in its own X session, and
# exits with the overall result; inside one, returns so the script runs the
# scenario named by its argument. SCENARIOS in the environment picks some.
# usage: run_scenarios "$0" "${1:-}" scenario...
run_scenarios() {
  local script=$1 chosen=$2 rc=0 scenario
  shift 2
  [ -n "${DISPLAY:-}" ] && [ -n "$chosen" ] && return 0
  for scenario in ${SCENARIOS:-$*}; do
    "$(dirname "$script")/with_x.sh" "$script" "$scenario" || rc=1
  done
  exit $rc
}

# Starts the player ($VOKABINO) on video $1 with subtitles $2 through the
# requester and the dialog. Sets pid, W and H (the playback window's client
# size), top (its screen row) and band (the overlay's rows for shot_stats.py).
start_player() {
  "$VOKABINO" 2>"$work/stderr.txt" &
  pid=$!
  choose_video "$1"
  confirm_subtitles "$2"
  wait_window '^Vokabino beta 1.0$' 10
  wait_gone "$dialog_title" 5
  read -r W H < <(player_size)
  client_area '^Vokabino beta 1.0$'
  top=$Y
  band="0 $((H - 210)) $W $((H - 60))"
}
