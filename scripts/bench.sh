#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench/) and runs them all. Each figure is a ratio
# against a baseline measured in the same run, printed on its own line as "name: value";
# the benchmark tables go to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DFLUXMERE_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j"$(nproc)" --target fx_benchmarks fluxmere-db >&2
export QT_QPA_PLATFORM=offscreen
# A throwaway lab server for the figures measured on one, stopped by its own pid file.
export FLUXMERE_BENCH_PGHOST=/dev/shm/fxpg-bench-$$
trap 'bash scripts/test-server.sh stop "$FLUXMERE_BENCH_PGHOST"' EXIT
bash scripts/test-server.sh start "$FLUXMERE_BENCH_PGHOST"
for program in build-bench/bench/*Bench; do
  "$program" "$@"
done
