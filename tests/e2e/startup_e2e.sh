#!/usr/bin/env bash
# The real player at start-up: the video requester, cancelling it, and a
# video that cannot be opened. Each scenario gets its own X session.
# VOKABINO names the player binary.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
run_scenarios "$here/startup_e2e.sh" "${1:-}" cancel unopenable
work=$(mktemp -d)
cd "$work"
title='Veuillez choisir le fichier vid.+ ouvrir'

case "$1" in
cancel)
  # Escape in the requester ends the program at once, with no message.
  "$VOKABINO" 2>/dev/null &
  pid=$!
  check "the video requester appears with its title" wait_window "^$title\$"
  xdotool search --name "^$title\$" windowactivate --sync key Escape 2>/dev/null
  check "cancelling ends the program" wait_exit "$pid"
  check "cancelling exits with status 0" test "$exit_status" -eq 0
  check "no message box after cancelling" bash -c '! xdotool search --name "^Error$" >/dev/null'
  ;;
unopenable)
  # A missing file typed into an existing folder is reported, then the program ends.
  "$VOKABINO" 2>/dev/null &
  pid=$!
  check "the video requester appears" wait_window "^$title\$"
  sleep 0.5
  xdotool search --name "^$title\$" windowactivate --sync type --delay 5 "$work/missing.mp4" 2>/dev/null
  # Return may first close the name completer's popup: press it while the
  # requester is still there.
  for _ in 1 2 3; do
    sleep 0.7
    xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 || break
    xdotool key Return
  done
  check "an unopenable file gives the Error box" wait_window '^Error$' 10
  import -window root "$work/error.png"
  [ -n "${E2E_SHOTS:-}" ] && cp "$work/error.png" "$E2E_SHOTS/startup-error.png"
  xdotool search --name '^Error$' windowactivate --sync key Return 2>/dev/null
  check "the program ends after the message" wait_exit "$pid"
  check "and exits with status 0" test "$exit_status" -eq 0
  ;;
esac

rm -rf "$work"
finish
