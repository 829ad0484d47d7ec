#!/usr/bin/env bash
# Load run of vokabino-translate: starts the given service on a free loopback
# port and sends it 10,000 requests, 16 at once, one in ten malformed (bad
# password, missing text, unknown language pair, garbage request line,
# truncated head, oversize query/line/head, bad per-cent escapes, binary blob,
# clients that close early, wrong method or path). Prints requests per second,
# p50/p99 latency of the well-formed requests, the outcomes by kind, and the
# resident memory of the service and of its Apertium pipelines before, halfway
# and after. Exits 0 when every request was answered as it should be and the
# service survived, stopped cleanly and kept its memory, descriptors and
# threads; 1 otherwise; 2 when the service does not start.
#
# Builds nothing: bench_load comes from the same build as the service
# (BUILD/bench/load/bench_load beside BUILD/server/vokabino-translate), or from
# $BENCH_LOAD. Traffic goes to 127.0.0.1 only; no request starts after 600 s.
#
# usage: run_load.sh PATH/TO/vokabino-translate [bench_load options...]
#   e.g. run_load.sh build/server/vokabino-translate
#        run_load.sh build/server/vokabino-translate --requests 1000 --lines 3000
#   bench_load options: --requests N --concurrency N --malformed-every N
#                       --lines N --seed N --time-limit SECONDS
set -eu
if [ $# -lt 1 ] || [ ! -x "$1" ]; then
  sed -n '2,21p' "$0" >&2
  exit 2
fi
translate=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
driver=${BENCH_LOAD:-$(dirname "$translate")/../bench/load/bench_load}
if [ ! -x "$driver" ]; then
  echo "run_load.sh: no bench_load at $driver (build the bench_load target, or set BENCH_LOAD)" >&2
  exit 2
fi
exec "$driver" --translate "$translate" "$@"
