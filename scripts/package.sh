#!/usr/bin/env bash
# Installs what is missing and builds the Debian package moriva_VERSION_ARCH.deb into
# build-package/ of the repository: a release build without the tests' crash points.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-package" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DMORIVA_CHECKPOINTS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$here/build-package" -j"$(nproc)" --target moriva
cd "$here/build-package"
rm -f moriva_*.deb
cpack -G DEB >/dev/null
ls "$here"/build-package/moriva_*.deb
