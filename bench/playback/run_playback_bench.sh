#!/usr/bin/env bash
# Playback cost of Vokabino's platform layer against the mpv command-line
# player: the same generated 1080p file, the same outputs (vo=x11, ao=null),
# the same Xvfb, alternating runs. Prints CPU seconds and peak memory.
# usage: run_playback_bench.sh HARNESS [RUNS] [SECONDS]
set -eu
harness=$1
runs=${2:-3}
seconds=${3:-20}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/bench_lib.sh"
make_1080p_clip

inside() {
  export VOKABINO_MPV_VO=x11 VOKABINO_MPV_AO=null
  # The client size a maximised window gets on this screen.
  "$harness" plain "$work/1080p.mp4" 3 &
  sleep 2
  client=$(xwininfo -name harness 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
  wait
  for i in $(seq "$runs"); do
    measure vokabino "$harness" plain "$work/1080p.mp4" "$seconds"
    # The same picture size as the maximised player's client area, so both
    # scale the frames alike.
    measure mpv mpv --no-config --vo=x11 --ao=null --length="$seconds" --keep-open=no \
      --geometry="${client:-1920x1061}" "$work/1080p.mp4"
  done
  "$harness" paused "$work/1080p.mp4" 10
}
export -f measure inside
export harness runs seconds work
"$here/../../tests/e2e/with_x.sh" -s 1920x1080 bash -c inside | tee "$work/results.txt"
awk '/^vokabino/ {vc+=$2; vm=($3>vm?$3:vm); n++} /^mpv/ {mc+=$2; mm=($3>mm?$3:mm)}
     END {printf "CPU ratio %.3f (vokabino %.2f s, mpv %.2f s per run); peak memory ratio %.3f (%d KiB vs %d KiB)\n",
          vc/mc, vc/n, mc/n, vm/mm, vm, mm}' "$work/results.txt"
