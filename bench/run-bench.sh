#!/usr/bin/env bash
# Times whole orvo --batch runs of the optimised build on generated lists of 1000 and 10000
# subtitles (default look, antialiased): wall and processor time, subtitles per second, peak
# memory. Other counts can be given: bench/run-bench.sh 500 5000
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release --target orvo orvo_run_bench
build/release/bin/orvo_run_bench build/release/bin/orvo "$@"
