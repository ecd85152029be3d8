#!/usr/bin/env bash
# Runs a Windows program under Wine, in a fresh Wine prefix made in a temporary folder and
# on a virtual X display of its own, and exits with the program's exit status.
#   scripts/wine-run.sh PROGRAM.exe [ARGUMENTS...]
# The program also finds an empty folder mapped as drive T:, gone with the prefix.
# PLENVO_WINE_TIMEOUT (seconds, default 300) bounds the program's run.
# PLENVO_WINE_DESKTOP (WIDTHxHEIGHT) runs it in a Wine virtual desktop of that size, which
# draws every window's frame as Windows does.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGUMENTS...]" >&2
  exit 2
fi
program=$1
shift
if [ ! -f "$program" ]; then
  echo "wine-run: no such program: $program" >&2
  exit 2
fi

for tool in wine wineboot wineserver Xvfb timeout; do
  if ! command -v "$tool" >/dev/null; then
    echo "wine-run: $tool is not installed; scripts/install-deps.sh installs it" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/plenvo-wine.XXXXXX")
xvfb_pid=""
cleanup() {
  # Ends the prefix's own processes (services, explorer) at once instead of waiting for
  # wineserver to time out, then the display.
  if [ -d "$work/prefix" ]; then
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# The server picks a free display itself and writes its number: no race with another run.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "wine-run: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

export WINEPREFIX="$work/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No prompts to install Mono or Gecko into the new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The same ANSI code page (1252) whatever the caller's locale: the tests' texts assume it.
export LC_ALL=C.UTF-8

started=$SECONDS
if ! wineboot -i >"$work/wineboot.log" 2>&1 || [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
  echo "wine-run: Wine cannot start here: making a prefix with wineboot failed:" >&2
  cat "$work/wineboot.log" >&2
  exit 1
fi
# With no window manager on the display, Wine would wait two seconds for one each time it
# hides a window it lets the manager handle; it manages none itself here. A crash ends the
# program instead of waiting on a dialog that nobody answers.
cat >"$work/settings.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
if [ -n "${PLENVO_WINE_DESKTOP:-}" ]; then
  cat >>"$work/settings.reg" <<REG

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="$PLENVO_WINE_DESKTOP"
REG
fi
if ! wine regedit /S "Z:${work//\//\\}\\settings.reg" >>"$work/wineboot.log" 2>&1; then
  echo "wine-run: Wine cannot start here: setting up the prefix failed:" >&2
  cat "$work/wineboot.log" >&2
  exit 1
fi
# Dialogs draw with Tahoma ("MS Shell Dlg") and caption buttons with Marlett, as on
# Windows. Wine brings both but does not look for them where Debian installs them.
for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
  if [ -f "/usr/share/wine/fonts/$font" ]; then
    cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
done
mkdir -p "$work/drive-t"
ln -s "$work/drive-t" "$WINEPREFIX/dosdevices/t:"
echo "wine-run: prefix ready in $((SECONDS - started)) s; running $(basename "$program")"

status=0
timeout --kill-after=10 "${PLENVO_WINE_TIMEOUT:-300}" wine "$program" "$@" || status=$?
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  echo "wine-run: $(basename "$program") did not finish within ${PLENVO_WINE_TIMEOUT:-300} s" >&2
fi
exit "$status"
