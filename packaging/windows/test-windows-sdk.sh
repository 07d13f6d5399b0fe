#!/usr/bin/env bash
# Checks the parts of scripts/windows-sdk.sh that can go wrong without building Qt:
# the deb-src entries, failing steps, the completeness check, the key and the reuse.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=SCRIPTDIR/../../scripts/windows-sdk.sh
source "$here/scripts/windows-sdk.sh"
passed=0 failed=0
check() { # name expected actual
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    printf 'FAIL %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
  fi
}
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT

# deb822: comments dropped, "deb deb-src" and multi-line fields kept, disabled and
# source-only paragraphs skipped.
cat >"$t/a.sources" <<'EOF'
Types: deb deb-src
# a mirror
URIs: http://deb.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb
URIs: http://off.example/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb-src
URIs: http://src.example/debian
Suites: bookworm
Components: main
EOF
check "deb822 entries" "Types: deb-src
URIs: http://deb.example/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL
 -----END PGP PUBLIC KEY BLOCK-----" "$(deb822_src "$t/a.sources")"

# One-line format: options kept, existing deb-src and commented lines not copied.
cat >"$t/b.list" <<'EOF'
deb [arch=amd64 signed-by=/k.gpg] http://deb.example/debian bookworm main
# deb http://old.example/debian bullseye main
deb-src http://deb.example/debian bookworm main
  deb http://deb.example/debian-security bookworm-security main
EOF
check "one-line entries" "deb-src [arch=amd64 signed-by=/k.gpg] http://deb.example/debian bookworm main
deb-src http://deb.example/debian-security bookworm-security main" "$(oneline_src "$t/b.list")"

# A step whose first command fails stops the run, even when its last command succeeds.
# (Each runs in a shell of its own: under "|| rc=$?" set -e would be off, as in an if.)
run_step() {
  bash -c "source '$here/scripts/windows-sdk.sh'; work='$t'
    half_done() ( false; echo last line )
    step $*" 2>/dev/null
}
rc=0
run_step half half_done || rc=$?
check "failing step stops" 1 "$rc"
rc=0
run_step whole echo fine || rc=$?
check "passing step goes on" "0 fine" "$rc $(cat "$t/whole.log")"
# A resumed build does not repeat a step that succeeded (fetching again would unpack
# fresh sources and rebuild all of Qt); a failed step runs again.
run_step whole echo again || true
check "resume skips a done step" "fine" "$(cat "$t/whole.log")"
run_step half echo mended || true
check "resume repeats a failed step" "mended" "$(cat "$t/half.log")"

# An SDK without its SQLite driver is not complete.
for f in "${required[@]}"; do mkdir -p "$(dirname "$t/sdk/$f")" && touch "$t/sdk/$f"; done
check "complete SDK" 0 "$(check_sdk "$t/sdk" 2>/dev/null && echo 0 || echo 1)"
rm "$t/sdk/plugins/sqldrivers/qsqlite.dll"
check "SDK without qsqlite" "windows-sdk: missing from the SDK: plugins/sqldrivers/qsqlite.dll" \
  "$(check_sdk "$t/sdk" 2>&1 || true)"

# A new version of any source package (a security update of sqlite3) needs a new SDK,
# and so does a changed build option.
version=([qt6-base]=6.4.2+dfsg-10 [sqlite3]=3.40.1-2 [libcsv]=3.0.3+dfsg-6)
saved_qt=("${qt_options[@]}") saved_sqlite=("${sqlite_flags[@]}")
keys=$(sdk_key)
version[sqlite3]=3.40.1-2+deb12u2
keys+=" $(sdk_key)"
qt_options+=(-DFEATURE_jpeg=ON)
keys+=" $(sdk_key)"
sqlite_flags=("${sqlite_flags[@]/-DSQLITE_SOUNDEX=1/}")
keys+=" $(sdk_key)"
check "key follows versions and options" "4 of 16 characters" \
  "$(tr ' ' '\n' <<<"$keys" | sort -u | grep -c '^[0-9a-f]\{16\}$') of 16 characters"
qt_options=("${saved_qt[@]}") sqlite_flags=("${saved_sqlite[@]}")

# A second run on a machine that has the SDK reuses it: the path is the last line and
# nothing is built.
if has_deb_src; then
  for p in qt6-base sqlite3 libcsv; do version[$p]=$(src_version "$p"); done
  mkdir -p "$t/cache/windows-sdk-$(sdk_key)"
  last=$(MORIVA_SDK_CACHE=$t/cache bash "$here/scripts/windows-sdk.sh" 2>/dev/null | tail -1)
  check "second run reuses" "$t/cache/windows-sdk-$(sdk_key) 1" \
    "$last $(find "$t/cache" -mindepth 1 -maxdepth 1 | wc -l)"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
