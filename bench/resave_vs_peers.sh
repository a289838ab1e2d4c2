#!/usr/bin/env bash
# Whole-process open and save of three animations, measured from outside with hyperfine:
# `vimbrel-cli resave` against a giflib program doing the same work (bench/giflib_resave.c)
# and against `gifsicle -O1`. Prints the median of each and the ratios ours / peer (below
# 1.0: we are faster). The samples are written by bench/resave_samples.cpp from fixed seeds.
# A second round preloads bench/no_sync.c, which makes fsync and fdatasync return at once,
# to show what waiting for the disk costs our safe save.
#
#   bench/resave_vs_peers.sh              Release build in build-bench/, 5 runs each
#   RUNS=11 BENCH_DIR=build-x bench/resave_vs_peers.sh
#
# Installs hyperfine and gifsicle (and the build's own packages) when they are missing.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BENCH_DIR=${BENCH_DIR:-build-bench}
case $BENCH_DIR in /*) BUILD=$BENCH_DIR ;; *) BUILD=$ROOT/$BENCH_DIR ;; esac
RUNS=${RUNS:-5}
WARMUP=${WARMUP:-2}

SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
missing=""
for p in hyperfine gifsicle; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
make -C "$ROOT" --no-print-directory deps

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON
fi
cmake --build "$BUILD" --target vimbrel-cli resave_samples giflib_resave no_sync

WORK=$(mktemp -d "${TMPDIR:-/tmp}/resave_vs_peers.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
"$BUILD/bench/resave_samples" "$WORK"

# The median time of each command, in the order the commands were given.
medians() {
  awk -F, 'NR > 1 { print $4 }' "$1"
}

# One round over the three samples; $1 names it, $2 is a library to preload into every
# command (empty for none).
round() {
  printf '\n%s\n%-10s %12s %12s %12s %10s %12s\n' "$1" sample ours_ms giflib_ms gifsicle_ms \
    x_giflib x_gifsicle
  for sample in shapes character noise; do
    in=$WORK/$sample.gif
    LD_PRELOAD=$2 hyperfine --shell=none --style none --runs "$RUNS" --warmup "$WARMUP" \
      --export-csv "$WORK/$sample.csv" \
      -n vimbrel-cli "$BUILD/vimbrel-cli resave $in $WORK/$sample.ours.gif" \
      -n giflib "$BUILD/bench/giflib_resave $in $WORK/$sample.giflib.gif" \
      -n gifsicle "gifsicle -O1 $in -o $WORK/$sample.gifsicle.gif" > "$WORK/$sample.log" 2>&1
    medians "$WORK/$sample.csv" | paste -sd' ' | awk -v s="$sample" '{
      printf "%-10s %12.2f %12.2f %12.2f %10.2f %12.2f\n", s, $1 * 1e3, $2 * 1e3, $3 * 1e3,
        $1 / $2, $1 / $3
    }'
  done
}

round "As shipped (the safe save of vimbrel-cli waits for the disk; the peers do not):" ""
round "With fsync and fdatasync made no-ops in every command ($BUILD/bench/libno_sync.so):" \
  "$BUILD/bench/libno_sync.so"
