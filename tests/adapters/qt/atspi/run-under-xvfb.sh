#!/usr/bin/env bash
# Runs check-panel.py against PANEL_PROGRAM on a private X server (Xvfb) inside a private D-Bus
# session, where the accessibility bus is started on demand, as on a desktop with a screen
# reader. Exits 77 (skipped) when a package it needs is missing. Every step has a time limit,
# and everything started here is ended here.
set -euo pipefail
program=${1:?usage: run-under-xvfb.sh PANEL_PROGRAM}
here=$(cd "$(dirname "$0")" && pwd)
# Debian's own interpreter, which the gi bindings are installed for.
python=/usr/bin/python3

missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v dbus-run-session >/dev/null || missing+=(dbus)
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=(at-spi2-core)
"$python" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
  missing+=(python3-gi gir1.2-atspi-2.0)
if [ ${#missing[@]} -gt 0 ]; then
  echo "skipped: missing ${missing[*]} (scripts/setup.sh installs them)"
  exit 77
fi

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it accepts connections.
exec {display_fd}>"$work/display"
Xvfb -displayfd "$display_fd" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec {display_fd}>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

# dbus-run-session ends the session bus, and with it the accessibility bus it started, when the
# check returns; timeout ends the whole session if the check itself hangs.
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
# The buses' and the program's own chatter is shown only when the check fails.
status=0
timeout -k 5 90 dbus-run-session -- "$python" "$here/check-panel.py" "$program" \
  2>"$work/stderr" || status=$?
if [ "$status" -ne 0 ]; then
  cat "$work/stderr" >&2
  [ "$status" -eq 124 ] && echo "the check took longer than 90 s" >&2
fi
exit "$status"
