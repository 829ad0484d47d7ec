# Shared by the playback benchmark scripts; sourced. Needs $work and $seconds.

# Makes $work/1080p.mp4: a moving test picture with a tone, $seconds + 5 s long.
make_1080p_clip() {
  ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=1920x1080:rate=24000/1001" \
    -f lavfi -i sine=frequency=440 -t $((seconds + 5)) -c:v libx264 -preset veryfast \
    -pix_fmt yuv420p -c:a aac "$work/1080p.mp4"
}

# Runs a command under /usr/bin/time; prints "label cpu_seconds max_rss_kb".
measure() {  # label command...
  local label=$1
  shift
  /usr/bin/time -f "%U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>&1 || true
  read -r user sys rss <"$work/time.txt"
  echo "$label $(awk -v u="$user" -v s="$sys" 'BEGIN {print u + s}') $rss"
}
