#!/usr/bin/env bash
# Moriva for Windows, made on Debian: builds the Windows SDK when it is missing
# (scripts/windows-sdk.sh), cross-builds Moriva, runs the whole QtTest suite under Wine in
# a fresh prefix, then writes build-windows/Moriva-VERSION-setup.exe (NSIS) and a portable
# build-windows/Moriva-VERSION-portable.zip of the same folder.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$here/build-windows
say() { echo "package-windows: $*" >&2; }

bash "$here/scripts/install-deps.sh"
sdk=$(bash "$here/scripts/windows-sdk.sh" | tail -1)
wine=$(command -v wine)
cross=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$sdk/mingw-w64.cmake"
  -DCMAKE_PREFIX_PATH="$sdk" -DQT_HOST_PATH=/usr -DCMAKE_CROSSCOMPILING_EMULATOR="$wine")

# The tests, with the crash points the fault harness needs.
say "building the tests"
cmake -S "$here" -B "$out/tests" "${cross[@]}" >/dev/null
cmake --build "$out/tests" -j"$(nproc)"

# A CUPS server of its own with a cups-pdf queue as the default printer, started before
# the Wine prefix is made: Wine's spooler takes its printers from CUPS, and the printer
# test reads the stored orientation back through it.
cups=$(mktemp -d /tmp/moriva-cups.XXXXXX)
prefix=$(mktemp -d /tmp/moriva-wine.XXXXXX)
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ -n "${cupsd:-}" ] && kill "$cupsd" 2>/dev/null && wait "$cupsd" 2>/dev/null
  rm -rf "$prefix" "$cups"
}
trap cleanup EXIT
mkdir -p "$cups"/{spool,cache,state,tmp,log,ppd}
chmod 755 "$cups"
printf 'Listen %s/cups.sock\nLogLevel warn\nBrowsing No\nWebInterface No\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n' \
  "$cups" >"$cups/cupsd.conf"
# A developer without root administers this server through their own group. The queue
# prints into /dev/null: cups-pdf's backend runs only under a root server, and the suite
# under Wine needs the queue and its stored options, not its output.
printf 'ServerRoot %s\nRequestRoot %s/spool\nCacheDir %s/cache\nStateDir %s/state\nTempDir %s/tmp\nErrorLog %s/log/error_log\nSystemGroup %s\nFileDevice Yes\n' \
  "$cups" "$cups" "$cups" "$cups" "$cups" "$cups" "$(id -gn)" >"$cups/cups-files.conf"
export CUPS_SERVERROOT=$cups CUPS_SERVER=$cups/cups.sock
/usr/sbin/cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" &
cupsd=$!
running=""
for _ in $(seq 100); do lpstat -r 2>/dev/null | grep -q 'is running' && running=yes && break; sleep 0.1; done
[ -n "$running" ] || { say "the CUPS server did not answer within 10 s"; exit 1; }
/usr/sbin/lpadmin -p MorivaPDF -E -v file:///dev/null -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
/usr/sbin/lpadmin -d MorivaPDF

# A Wine prefix of its own, so nothing from an earlier run (a printer, a registry value)
# can make the tests pass or fail.
# Wine takes its code page from the locale: without a UTF-8 one (a login with no LANG)
# every Japanese file name of the suite turns into question marks.
export LC_ALL=C.UTF-8
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
# Qt's libraries and the compiler's runtime come from the SDK, as the setup program later
# puts them beside moriva.exe; Qt finds its plugins beside its own libraries.
export WINEPATH=$(winepath -w "$sdk/bin" 2>/dev/null || echo "Z:${sdk//\//\\}\\bin")
# The tests run offscreen, where Qt reads fonts with FreeType from one folder instead of
# asking Windows: the same IPA fonts the Linux suite uses. (Wine passes no QT_ variable
# on; WINEQT_ ones arrive without the prefix.)
export WINEQT_QPA_FONTDIR=$(winepath -w /usr/share/fonts/opentype/ipafont-gothic 2>/dev/null ||
  echo 'Z:\usr\share\fonts\opentype\ipafont-gothic')
# The suite cannot start Linux tools under Wine: tst_reports leaves each PDF it checks as
# NAME.pdf beside NAME.checks, whose lines are a poppler tool and a text its output for
# NAME.pdf must contain. They stay in the build folder, to look at when a check fails.
pdfs=$out/tests/pdf-checks
rm -rf "$pdfs" && mkdir -p "$pdfs"
export MORIVA_PDF_CHECKS=$(winepath -w "$pdfs")
check_pdfs() {
  local name tool text shown bad=0
  for name in menu-inventory menu-statement menu-sale bigfarm-statement sale-five sale-first sale-checks sale-cap; do
    if [ ! -s "$pdfs/$name.pdf" ] || [ ! -s "$pdfs/$name.checks" ]; then
      say "tst_reports left no $name.pdf and $name.checks in $pdfs"
      bad=1
      continue
    fi
    while IFS=$'\t' read -r tool text; do
      case $tool in
        pdftotext) shown=$(pdftotext -layout "$pdfs/$name.pdf" -) ;;
        pdffonts | pdfinfo) shown=$("$tool" "$pdfs/$name.pdf") ;;
        *) say "$name.checks: no such tool: $tool"; bad=1; continue ;;
      esac
      [[ $shown == *"$text"* ]] || { say "$name.pdf: $tool does not show \"$text\""; bad=1; }
    done <"$pdfs/$name.checks"
  done
  return $bad
}
say "running the tests under Wine"
(cd "$out/tests" && ctest --output-on-failure)
check_pdfs || { say "the PDFs the suite wrote under Wine do not read back as printed"; exit 1; }

# What the farmer installs: a build without the crash points.
say "building the program"
cmake -S "$here" -B "$out/release" "${cross[@]}" -DMORIVA_CHECKPOINTS=OFF -DMORIVA_TESTS=OFF >/dev/null
cmake --build "$out/release" -j"$(nproc)" --target moriva
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/release/CMakeCache.txt")
stage=$out/stage/Moriva
rm -rf "$out/stage"
cmake --install "$out/release" --prefix "$stage" >/dev/null
if grep -q MORIVA_CRASH_AT "$stage/moriva.exe"; then say "moriva.exe has the crash points"; exit 1; fi
# Beside the program: what the SDK ships (packaging/windows/shipped.txt).
while read -r file; do
  mkdir -p "$(dirname "$stage/${file#bin/}")"
  cp "$sdk/$file" "$stage/${file#bin/}"
done < <(grep -v '^#' "$here/packaging/windows/shipped.txt")
printf '[Paths]\nPlugins = plugins\n' >"$stage/qt.conf"

# The uninstaller removes exactly what was installed: every file, then every folder
# deepest first.
files=$out/stage/uninstall-files.nsh
(cd "$stage" && find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|'
  cd "$stage" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|') >"$files"
# Only this version's setup and zip are left, for the setup check to find.
rm -f "$out"/Moriva-*-setup.exe "$out"/Moriva-*-portable.zip
setup=$out/Moriva-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  -DFILELIST="$files" "$here/packaging/windows/moriva.nsi"
zip=$out/Moriva-$version-portable.zip
(cd "$out/stage" && cmake -E tar cf "$zip" --format=zip Moriva)
say "made $setup and $zip"
