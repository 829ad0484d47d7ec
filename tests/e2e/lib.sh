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
