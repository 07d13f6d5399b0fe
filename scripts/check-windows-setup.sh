#!/usr/bin/env bash
# Installs build-windows/Moriva-*-setup.exe silently into a fresh Wine prefix as a
# farmer's PC would take it, starts the program as the Start menu does, then uninstalls
# it silently and checks that the farmer's Documents\Moriva is left alone.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
setup=$(ls build-windows/Moriva-*-setup.exe)
WINEPREFIX=$(mktemp -d /tmp/moriva-setup.XXXXXX)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wine "$setup" /S
program="$WINEPREFIX/drive_c/Program Files/Moriva"
ls -l "$program/moriva.exe" "$program/help/index.htm" "$program/license.txt" \
  "$program/uninstall.exe" "$program/plugins/platforms/qwindows.dll"
ls -l "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Moriva.lnk"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Moriva' /v DisplayName
# Started as the Start menu starts it, the program makes Documents\Moriva and waits in
# the first-year setup. (Wine hands a Windows program no QT_ variable: WINEQT_ ones arrive
# without the prefix.)
documents="$WINEPREFIX/drive_c/users/$(whoami)/Documents/Moriva"
(cd "$WINEPREFIX/drive_c" && WINEQT_QPA_PLATFORM=offscreen exec wine "$program/moriva.exe" --documents) &
for _ in $(seq 300); do [ -d "$documents" ] && break; sleep 0.1; done
sleep 2
wineserver -k || true
wait || true
[ -d "$documents" ] || { echo "Windows: the Start menu's start made no Documents\\Moriva"; exit 1; }
echo "windows: installed; the Start menu's start works in Documents\\Moriva"
touch "$documents/cowdata13.mdb"
wine "$program/uninstall.exe" /S
for _ in $(seq 300); do [ -e "$program/moriva.exe" ] || break; sleep 0.1; done
wineserver -w || true
if [ -e "$program" ]; then echo "left after uninstall: $program"; ls -R "$program"; exit 1; fi
[ -e "$documents/cowdata13.mdb" ] || { echo "the uninstaller removed the farmer's data"; exit 1; }
echo "windows: setup installed silently, uninstalled, and left Documents\\Moriva alone"
