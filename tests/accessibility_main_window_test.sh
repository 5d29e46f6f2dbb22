#!/usr/bin/env bash
# The real hearthview driven as a screen reader drives it: Xvfb on a display of its own, a
# session bus with the accessibility bus (dbus-run-session, at-spi2-core), housesim as the
# server, and pyatspi as the assistive technology. Checks that the main window's controls
# carry their captions as names, that the Toggle action on "Mute" sends Set mute each time
# (and the box follows), and that the Press action on the day/night button sends Set light
# dark. Exit 77 (skipped) when the desktop tools are missing.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}
here=$(cd "$(dirname "$0")" && pwd)
# Debian's pyatspi belongs to the system's Python, whatever python3 is first on PATH.
python=/usr/bin/python3
for tool in Xvfb dbus-run-session; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps installs it)"
    exit 77
  fi
done
if ! "$python" -c 'import pyatspi' 2>/dev/null; then
  echo "SKIP: python3-pyatspi is not installed (scripts/install-deps installs it)"
  exit 77
fi

# Everything below runs inside a session bus of its own.
if [[ -z "${HV_IN_SESSION:-}" ]]; then
  HV_IN_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi

. "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"
begin_session hv-a11y
use_own_user_folders

start_xvfb 1024x768x24 || fail "Xvfb did not start"
start_housesim --no-console || fail "housesim did not start"

auto_login_registry "$port" "demo" || fail "the registry could not be set up"

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$bin/hearthview" \
  >"$work/hearthview.log" 2>&1 &
pids+=($!)
logged_in() { grep -q "Get dawn dusk" "$work/housesim.log"; }
wait_for 150 logged_in || fail "hearthview did not log in"

"$python" "$here/accessibility_main_window_test.py" "$work/housesim.log" ||
  fail "the accessibility checks failed"
echo "1 passed, 0 failed"
