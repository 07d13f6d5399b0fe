#!/usr/bin/env bash
# Installs build-windows/Moriva-*-setup.exe silently into a fresh Wine prefix as a
# farmer's PC would take it, starts the program from its Start-menu entry on a display of
# its own (the windows platform, as on a real PC), then uninstalls it silently and checks
# that the farmer's Documents\Moriva is left alone.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
setup=$(ls build-windows/Moriva-*-setup.exe)
work=$(mktemp -d /tmp/moriva-setup.XXXXXX)
WINEPREFIX=$work/prefix
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "windows: $*" >&2; exit 1; }

# A display of its own: the program starts as it does on a PC, not offscreen. Xvfb picks a
# free display number and writes it to the descriptor it is given.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -1 "$work/display")

wineboot -i >/dev/null 2>&1
wine "$setup" /S
program="$WINEPREFIX/drive_c/Program Files/Moriva"
menu_entry="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Moriva.lnk"
ls -l "$program/moriva.exe" "$program/help/index.htm" "$program/license.txt" \
  "$program/uninstall.exe" "$program/plugins/platforms/qwindows.dll" "$menu_entry"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Moriva' /v DisplayName

# An empty Documents folder of the check's own, named where Windows looks for it: nothing
# left by an earlier run (Wine links an absent Documents to $HOME) can stand in for the
# folder the program makes.
mkdir "$work/documents"
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
  /v Personal /t REG_EXPAND_SZ /d "$(winepath -w "$work/documents")" /f >/dev/null
documents=$work/documents/Moriva

# Started through its Start-menu entry, the program makes Documents\Moriva, takes its lock
# there and waits in the first-year setup. Only a program that really started leaves the
# lock: the folder was empty.
(cd "$WINEPREFIX/drive_c" && exec wine start /wait /unix "$menu_entry") &
moriva=$!
started=""
for _ in $(seq 600); do
  [ -e "$documents/moriva.lock" ] && started=yes && break
  sleep 0.1
done
[ -n "$started" ] || fail "the Start menu's start took no lock in Documents\\Moriva within 60 s"
wineserver -k || true
wait "$moriva" || true
echo "windows: installed; the Start menu's start works in Documents\\Moriva"

touch "$documents/cowdata13.mdb"
wine "$program/uninstall.exe" /S
for _ in $(seq 300); do [ -e "$program/moriva.exe" ] || break; sleep 0.1; done
wineserver -w || true
if [ -e "$program" ]; then ls -R "$program"; fail "left after uninstall: $program"; fi
[ -e "$documents/cowdata13.mdb" ] || fail "the uninstaller removed the farmer's data"
echo "windows: setup installed silently, uninstalled, and left Documents\\Moriva alone"
