#!/usr/bin/env bash
# Builds the Windows SDK the program is cross-built against: SQLite, libcsv and a shared
# Qt (Core, Gui, Widgets, Sql, PrintSupport, Test) for x86_64-w64-mingw32, all from
# Debian's own source packages. The result is cached outside the checkout under a key
# made of the source versions, the compilers, the host tools, the toolchain file and the
# build options below, so a second run returns at once. The SDK's path is the last line
# on standard output:
#   sdk=$(bash scripts/windows-sdk.sh | tail -1)
# MORIVA_SDK_CACHE overrides the cache folder ($HOME/.cache/moriva).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
toolchain=$here/packaging/windows/mingw-w64.cmake
cache=${MORIVA_SDK_CACHE:-$HOME/.cache/moriva}
triple=x86_64-w64-mingw32
say() { echo "windows-sdk: $*" >&2; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# The source packages come through deb-src entries mirroring the machine's own deb
# entries (same URIs, suites and components), kept in files of our own.
srclist=/etc/apt/sources.list.d/moriva-deb-src

# deb822 files: each enabled paragraph whose Types has "deb", as "deb-src".
deb822_src() {
  awk 'function flush() { if (p != "" && deb && !off) printf "%s\n", p; p = ""; deb = 0; off = 0 }
       /^[[:space:]]*$/ { flush(); next }
       /^#/ { next }
       /^Types:/ { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1; p = p "Types: deb-src\n"; next }
       /^Enabled:[[:space:]]*[Nn]o/ { off = 1 }
       { p = p $0 "\n" }
       END { flush() }' "$@"
}
# One-line files (sources.list, *.list).
oneline_src() {
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$@"
}
has_deb_src() { apt-get source --print-uris -qq qt6-base >/dev/null 2>&1; }

ensure_deb_src() {
  has_deb_src && return
  if [ ! -e "$srclist.sources" ] && [ ! -e "$srclist.list" ]; then
    say "adding deb-src entries ($srclist.*)"
    local f deb822=() oneline=()
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -e "$f" ] && deb822+=("$f")
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -e "$f" ] && oneline+=("$f")
    done
    if [ ${#deb822[@]} -gt 0 ]; then
      deb822_src "${deb822[@]}" | $sudo tee "$srclist.tmp" >/dev/null
      $sudo mv "$srclist.tmp" "$srclist.sources"
    fi
    if [ ${#oneline[@]} -gt 0 ]; then
      oneline_src "${oneline[@]}" | $sudo tee "$srclist.tmp" >/dev/null
      $sudo mv "$srclist.tmp" "$srclist.list"
    fi
  fi
  $sudo apt-get update -q >&2
  has_deb_src || { say "apt-get source finds no qt6-base, even with $srclist.*"; exit 1; }
}

# The newest version of a source package, the one apt-get source fetches.
src_version() {
  local v best=""
  for v in $(apt-cache showsrc --only-source "$1" | sed -n 's/^Version: //p'); do
    if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
  done
  echo "$best"
}
# Debian's own compile options, so SQL behaves as in the Linux build the tests also run
# on (rowid in views, URI names, LIKE on blobs ...).
sqlite_flags=(-DSQLITE_SECURE_DELETE -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS3
  -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_RTREE=1 -DSQLITE_SOUNDEX=1
  -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_OMIT_LOOKASIDE=1 -DSQLITE_ENABLE_DBSTAT_VTAB
  -DSQLITE_ALLOW_ROWID_IN_VIEW -DSQLITE_ENABLE_UPDATE_DELETE_LIMIT=1
  -DSQLITE_ENABLE_LOAD_EXTENSION -DSQLITE_ENABLE_JSON1 -DSQLITE_LIKE_DOESNT_MATCH_BLOBS
  -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_FTS3_TOKENIZER=1 -DSQLITE_USE_URI=1
  -DSQLITE_MAX_SCHEMA_RETRY=25 -DSQLITE_ENABLE_PREUPDATE_HOOK -DSQLITE_ENABLE_SESSION
  -DSQLITE_ENABLE_STMTVTAB -DSQLITE_MAX_VARIABLE_NUMBER=250000)

# Qt's configure options, but for the paths. Only what the program uses. Tablet support
# is off: Debian's source lacks the wintab headers. dynamicgl must go with opengl, or the
# windows platform plugin does not build. direct2d stays on although nothing uses it:
# without it Gui lacks the DirectWrite font engine, which the windows platform plugin and
# print support still link against.
qt_options=(-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=ON -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON
  -DFEATURE_sql_odbc=OFF -DFEATURE_sql_psql=OFF -DFEATURE_sql_mysql=OFF
  -DFEATURE_sql_oci=OFF -DFEATURE_sql_ibase=OFF -DFEATURE_sql_db2=OFF
  -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
  -DFEATURE_ico=OFF -DFEATURE_png=ON -DFEATURE_freetype=ON
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_pkg_config=OFF)

# The key names what changes the result: the sources, the cross compilers and their
# runtime, the host Qt tools the build runs, the toolchain file and the options above.
# Not this script's text, so that a mended comment or message does not rebuild Qt.
sdk_key() {
  {
    for p in qt6-base sqlite3 libcsv; do echo "$p ${version[$p]}"; done
    dpkg-query -W gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev \
      qt6-base-dev-tools
    cat "$toolchain"
    echo "${sqlite_flags[*]}"
    echo "${qt_options[*]}"
  } | sha256sum | cut -c1-16
}

# What the program and its packaging need of the SDK: what the setup ships, and what
# the build and the tests use. A feature that configure quietly dropped (a driver whose
# library it did not find) must not end up cached.
mapfile -t required < <(grep -v '^#' "$here/packaging/windows/shipped.txt")
required+=(bin/Qt6Test.dll plugins/platforms/qoffscreen.dll
  include/sqlite3.h include/csv.h lib/libsqlite3.dll.a lib/libcsv.dll.a
  lib/cmake/Qt6/Qt6Config.cmake mingw-w64.cmake)
check_sdk() {
  local f missing=0
  for f in "${required[@]}"; do
    [ -e "$1/$f" ] || { say "missing from the SDK: $f"; missing=1; }
  done
  return $missing
}

# Runs a step with its output in $work/NAME.log; a step that succeeded before is not run
# again when a failed or interrupted build is resumed. On failure shows the errors and
# stops. The step runs as a background job: called as the condition of an if, set -e
# would be off inside it and a failing command in the middle would pass unnoticed.
step() {
  local name=$1 rc=0
  shift
  [ -e "$work/$name.done" ] && return
  say "$name"
  "$@" >"$work/$name.log" 2>&1 &
  wait $! || rc=$?
  if [ $rc -ne 0 ]; then
    # A compiler's warnings can fill the log's end; the errors come first.
    grep -E -A 6 '^FAILED:|error:|CMake Error|^E: ' "$work/$name.log" | head -n 80 >&2 ||
      tail -n 60 "$work/$name.log" >&2
    say "$name failed; the build is kept in $work and resumed by the next run"
    exit 1
  fi
  touch "$work/$name.done"
}

declare -A version

main() {
  ensure_deb_src
  bash "$here/scripts/install-deps.sh" >&2

  for p in qt6-base sqlite3 libcsv; do
    version[$p]=$(src_version "$p")
    [ -n "${version[$p]}" ] || { say "no source package $p: is deb-src reachable?"; exit 1; }
  done
  key=$(sdk_key)
  sdk=$cache/windows-sdk-$key
  if [ -d "$sdk" ]; then
    say "reusing $sdk"
    echo "$sdk"
    exit 0
  fi

  # Everything is built in a work folder beside the result and installed with DESTDIR,
  # so the prefix baked into the SDK is its final path, and the SDK appears by one
  # rename only when complete: an interrupted run leaves no half SDK behind, and the next
  # run resumes its build. A run that finds another building the same SDK waits for it.
  mkdir -p "$cache"
  work=$cache/.windows-sdk-$key.work
  exec 9>"$work.lock"
  flock 9
  if [ -d "$sdk" ]; then
    say "reusing $sdk, built meanwhile"
    echo "$sdk"
    exit 0
  fi
  stage=$work/stage$sdk
  mkdir -p "$stage"/{bin,lib,include} "$work/src"
  fetch() (
    cd "$work/src"
    rm -rf ./*
    for p in qt6-base sqlite3 libcsv; do apt-get source -q --only-source "$p=${version[$p]}"; done
  )
  step fetch fetch
  qtsrc=$(echo "$work"/src/qt6-base-*/)
  sqlsrc=$(echo "$work"/src/sqlite3-*/)
  csvsrc=$(echo "$work"/src/libcsv-*/)

  # SQLite is one DLL shared by Qt's driver and the program: the program hands the
  # driver's connection handle to the backup API, which must be the same library's.
  sqlite() (
    # The amalgamation is generated on the build machine (lemon, tclsh), with the same
    # options so that the generated parser knows UPDATE ... LIMIT.
    mkdir -p "$work/sqlite-host" && cd "$work/sqlite-host"
    CFLAGS="-O2 ${sqlite_flags[*]}" "$sqlsrc/configure" --disable-tcl
    make sqlite3.c
    $triple-gcc-posix -O2 -fno-strict-aliasing "${sqlite_flags[@]}" -shared sqlite3.c \
      -o "$stage/bin/sqlite3.dll" -Wl,--out-implib,"$stage/lib/libsqlite3.dll.a"
    cp sqlite3.h "$sqlsrc/src/sqlite3ext.h" "$stage/include/"
  )
  step sqlite sqlite

  # A DLL rather than a static library: libcsv is LGPL and stays replaceable that way.
  libcsv() (
    cd "$csvsrc"
    $triple-gcc-posix -O2 -shared libcsv.c -o "$stage/bin/libcsv.dll" \
      -Wl,--out-implib,"$stage/lib/libcsv.dll.a"
    cp csv.h "$stage/include/"
  )
  step libcsv libcsv

  qt_configure() (
    cmake -G Ninja -S "$qtsrc" -B "$work/qt-build" \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$stage" \
      -DCMAKE_INSTALL_PREFIX="$sdk" \
      -DSQLite3_INCLUDE_DIR="$stage/include" -DSQLite3_LIBRARY="$stage/lib/libsqlite3.dll.a" \
      "${qt_options[@]}"
  )
  step qt-configure qt_configure
  # Other developers share the machine's cores.
  start=$SECONDS
  step qt-build nice -n 19 cmake --build "$work/qt-build"
  say "Qt built in $(((SECONDS - start) / 60)) min"
  DESTDIR=$work/stage step qt-install cmake --install "$work/qt-build"

  # The compiler's runtime travels with every program built with it.
  runtime() (
    cp "$($triple-g++-posix -print-file-name=libstdc++-6.dll)" \
      "$($triple-g++-posix -print-file-name=libgcc_s_seh-1.dll)" \
      /usr/$triple/lib/libwinpthread-1.dll "$stage/bin/"
  )
  step runtime runtime
  cp "$toolchain" "$stage/mingw-w64.cmake"

  check_sdk "$stage"
  mv -T "$stage" "$sdk"
  rm -rf "$work" "$work.lock"
  say "built $sdk"
  echo "$sdk"
}

# Sourced by its test, the script only defines its functions.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then main "$@"; fi
