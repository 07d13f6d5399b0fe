#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan+UBSan) into build-fuzz/ and runs each for
# SECONDS (default 5). A finding stops the run and leaves crash-* in build-fuzz/fuzz/.
#   bash scripts/fuzz.sh 600      # a long run, ten minutes per target
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-5}
cmake -S "$here" -B "$here/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMORIVA_FUZZ=ON \
  -DMORIVA_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build "$here/build-fuzz" -j"$(nproc)"
cd "$here/build-fuzz"
ctest --output-on-failure --timeout $((seconds * 3 + 60))
