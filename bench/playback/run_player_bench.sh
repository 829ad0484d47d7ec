#!/usr/bin/env bash
# The whole player on a generated 1080p file: CPU with a subtitle every 2 s
# against the same without subtitles (alternating runs), the main loop's CPU
# while paused, and the latency from a space press to the redrawn overlay.
# usage: run_player_bench.sh HARNESS [RUNS] [SECONDS]
set -eu
harness=$1
runs=${2:-3}
seconds=${3:-20}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/bench_lib.sh"
make_1080p_clip
# One cue every 2 s, each shown for 1.5 s.
for ((i = 0; i < seconds / 2 + 2; i++)); do
  printf '%d\r\n00:00:%02d,000 --> 00:00:%02d,500\r\nLine number %d of the test film\r\n\r\n' \
    $((i + 1)) $((2 * i)) $((2 * i + 1)) $((i + 1))
done | sed 's/00:00:\([6-9][0-9]\)/00:01:\1/' >"$work/every2s.srt"

inside() {
  export VOKABINO_MPV_VO=x11 VOKABINO_MPV_AO=null
  for i in $(seq "$runs"); do
    measure subtitles "$harness" player "$work/1080p.mp4" "$seconds" "$work/every2s.srt"
    measure none "$harness" player "$work/1080p.mp4" "$seconds"
  done
  "$harness" paused "$work/1080p.mp4" 10
  "$harness" pause-latency "$work/1080p.mp4" 40
}
export -f measure inside
export harness runs seconds work
"$here/../../tests/e2e/with_x.sh" -s 1920x1080 bash -c inside | tee "$work/results.txt"
awk '/^subtitles/ {s+=$2; n++} /^none/ {z+=$2}
     END {printf "CPU with subtitles / without: %.3f (%.2f s vs %.2f s per run)\n", s/z, s/n, z/n}' \
  "$work/results.txt"
