#!/usr/bin/env bash
# Installs what is missing, builds, and starts Moriva with the current folder as its
# working folder (where cowdb.inf and the year files live).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/scripts/build.sh"
exec "$here/build/moriva"
