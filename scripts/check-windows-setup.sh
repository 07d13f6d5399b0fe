#!/usr/bin/env bash
# Tries the setup of the version being built (build-windows/Moriva-VERSION-setup.exe) in a
# fresh Wine prefix as a farmer's PC would take it, on a display of its own (the windows
# platform, as on a real PC) and with an empty Documents folder:
#   - installs silently into a Japanese folder, upgrades silently (one copy remains);
#   - the installed moriva.exe started in its own folder works in Documents\Moriva, and
#     while it runs a silent setup exits non-zero with nothing replaced;
#   - the portable copy works beside itself;
#   - a second copy in another folder takes the Start-menu and Apps & Features entries,
#     its Start-menu entry works in Documents\Moriva, and the first copy's uninstaller
#     leaves the entries to it;
#   - both uninstalled, nothing is left but Documents\Moriva, untouched.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
version=$(sed -n 's/^project(Moriva VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
setup=build-windows/Moriva-$version-setup.exe
zip=build-windows/Moriva-$version-portable.zip
fail() { echo "windows: $*" >&2; exit 1; }
[ -f "$setup" ] && [ -f "$zip" ] || fail "no $setup or $zip: run scripts/package-windows.sh first"
setup=$(realpath "$setup")
zip=$(realpath "$zip")
work=$(mktemp -d /tmp/moriva-setup.XXXXXX)
WINEPREFIX=$work/prefix
# Wine takes its code page from the locale: the setup goes into a Japanese folder.
export LC_ALL=C.UTF-8
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Polls for up to $1 seconds until the command after $2 succeeds; fails naming $2.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  for _ in $(seq $((seconds * 10))); do "$@" && return 0; sleep 0.1; done
  fail "waited $seconds s for $what"
}

# A display of its own: the program starts as it does on a PC, not offscreen. Xvfb picks a
# free display number and writes it to the descriptor it is given.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
wait_for 10 "Xvfb to name its display" test -s "$work/display"
export DISPLAY=:$(head -1 "$work/display")

wineboot -i >/dev/null 2>&1
c=$WINEPREFIX/drive_c
menu_entry="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Moriva.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Moriva'
# The folder the Apps & Features entry names ("" without one); Wine prints the Japanese
# of a folder as "?".
install_location() {
  { wine reg query "$uninstall_key" /v InstallLocation 2>/dev/null || true; } |
    tr -d '\r' | sed -n 's/^ *InstallLocation *REG_SZ *//p'
}

# An empty Documents folder of the check's own, named where Windows looks for it: nothing
# left by an earlier run (Wine links an absent Documents to $HOME) can stand in for the
# folder the program makes.
mkdir "$work/documents"
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders' \
  /v Personal /t REG_EXPAND_SZ /d "$(winepath -w "$work/documents")" /f >/dev/null
documents=$work/documents/Moriva

# Starts the program in the background (the rest of the line after $1: how), waits for
# its lock in folder $1 (only a program that really started there takes it), and leaves
# it running; stop_moriva ends it.
start_moriva() {
  local folder=$1
  shift
  rm -f "$folder/moriva.lock"
  ("$@") &
  moriva=$!
  wait_for 60 "the program's lock in $folder" test -e "$folder/moriva.lock"
}
stop_moriva() {
  wineserver -k || true
  wait "$moriva" || true
  wineserver -w
}
# What a setup would change: every file's size, contents' change time and mtime.
state() { find "$1" -printf '%p %s %C@ %T@\n' | sort; }

# A Japanese folder of the farmer's choosing, then an upgrade that finds it.
farm=$c/農場/Moriva
wine "$setup" /S "/D=C:\\農場\\Moriva" || fail "the setup into C:\\農場\\Moriva failed"
ls -l "$farm/moriva.exe" "$farm/help/index.htm" "$farm/license.txt" "$farm/uninstall.exe" \
  "$farm/plugins/platforms/qwindows.dll" "$menu_entry" >/dev/null
[ "$(install_location)" = 'C:\??\Moriva' ] || fail "the entry names $(install_location)"
# The setup writes its uninstaller anew each time; the other files keep their times.
uninstaller_before=$(state "$farm/uninstall.exe")
wine "$setup" /S || fail "the silent upgrade failed"
[ ! -e "$c/Program Files/Moriva" ] || fail "the upgrade made a second copy in Program Files"
[ "$(state "$farm/uninstall.exe")" != "$uninstaller_before" ] ||
  fail "the upgrade did not install over C:\\農場\\Moriva"
echo "windows: the silent upgrade installed over C:\\農場\\Moriva"

# Started in its own folder, as Explorer starts it, the installed copy works in
# Documents\Moriva.
start_moriva "$documents" bash -c "cd '$farm' && exec wine moriva.exe"
[ ! -e "$farm/moriva.lock" ] || fail "the installed copy worked in $farm"
echo "windows: the installed moriva.exe started in its folder works in Documents\\Moriva"

# Running, the program keeps a silent setup out: non-zero, and nothing written.
before=$(state "$farm")
code=0
wine "$setup" /S || code=$?
[ "$code" -ne 0 ] || fail "a silent setup while Moriva runs exited 0"
[ "$(state "$farm")" = "$before" ] || fail "a silent setup while Moriva runs changed $farm"
[ ! -e "$c/Program Files/Moriva" ] || fail "a silent setup while Moriva runs installed a copy"
echo "windows: a silent setup while Moriva runs exited $code and wrote nothing"
stop_moriva

# The portable copy works beside itself.
mkdir "$c/portable"
(cd "$c/portable" && cmake -E tar xf "$zip")
start_moriva "$c/portable/Moriva" bash -c "cd '$c/portable/Moriva' && exec wine moriva.exe"
stop_moriva
rm -rf "$c/portable"
echo "windows: the portable moriva.exe works beside itself"

# A second copy elsewhere takes the entries; its Start-menu entry works in
# Documents\Moriva. (Wine's start cannot follow a shortcut to a Japanese folder: "Invalid
# name". The entry is tried on this copy.) The first copy's uninstaller leaves them.
wine "$setup" /S '/D=C:\Moriva2' || fail "the setup into C:\\Moriva2 failed"
start_moriva "$documents" bash -c "cd '$c' && exec wine start /wait /unix '$menu_entry'"
stop_moriva
echo "windows: the Start menu's start works in Documents\\Moriva"
touch "$documents/cowdata13.mdb"
wine "$farm/uninstall.exe" /S
wineserver -w
[ ! -e "$farm" ] || { ls -R "$farm"; fail "left after uninstall: $farm"; }
[ -e "$menu_entry" ] || fail "the first copy's uninstaller removed the second copy's Start-menu entry"
strings -e l "$menu_entry" | grep -q 'Moriva2' || fail "the Start-menu entry is not the second copy's"
[ "$(install_location)" = 'C:\Moriva2' ] || fail "the first copy's uninstaller removed the second copy's entry"
wine "$c/Moriva2/uninstall.exe" /S
wineserver -w
[ ! -e "$c/Moriva2" ] || { ls -R "$c/Moriva2"; fail "left after uninstall: C:\\Moriva2"; }
[ ! -e "$menu_entry" ] || fail "the Start-menu entry is left after both uninstalls"
[ -z "$(install_location)" ] || fail "the Apps & Features entry is left after both uninstalls"
[ -e "$documents/cowdata13.mdb" ] || fail "the uninstaller removed the farmer's data"
echo "windows: both copies uninstalled; the entries went with the copy that made them last," \
  "and Documents\\Moriva stayed"
