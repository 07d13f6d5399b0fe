#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless, then fuzzes the
# readers briefly.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/scripts/build.sh"
(cd "$here/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
# The Windows SDK script's own logic (deb-src entries, steps, resume, key, reuse), without
# building Qt.
bash "$here/packaging/windows/test-windows-sdk.sh"
# A few seconds of fuzzing for each reader of typed or stored text.
bash "$here/scripts/fuzz.sh" 5
