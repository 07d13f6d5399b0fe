#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-sanitized/ and runs every test there.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-sanitized" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DMORIVA_SANITIZE=ON >/dev/null
cmake --build "$here/build-sanitized" -j"$(nproc)"
cd "$here/build-sanitized"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
