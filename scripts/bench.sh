#!/usr/bin/env bash
# Builds the benchmarks (Release) into build-bench/ and runs every program path beside
# its floor on 1,000, 10,000 and 32,766 calves; ends with one table of ratios.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORIVA_BENCH=ON >/dev/null
cmake --build "$here/build-bench" -j"$(nproc)" --target bench_floors
exec "$here/build-bench/bench/bench_floors" "$@"
