#!/usr/bin/env bash
# The real hearthview as a native Wayland client: a headless weston is the only display
# (no X server, DISPLAY unset), housesim the server. The program logs in, asks for the
# house, and on SIGTERM ends through its normal end path: Logoff and Goodbye reach
# housesim and the program exits with 0. Exit 77 (skipped) when weston or Qt's Wayland
# platform is missing.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}
if ! command -v weston >/dev/null; then
  echo "SKIP: weston is not installed (scripts/install-deps installs it)"
  exit 77
fi
if ! compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland*.so" >/dev/null; then
  echo "SKIP: Qt's Wayland platform is not installed (qt6-wayland; scripts/install-deps)"
  exit 77
fi

. "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"
begin_session hv-wayland
use_own_user_folders
unset DISPLAY
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
export WAYLAND_DISPLAY=hv-wayland-$$

weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 \
  >"$work/weston.log" 2>&1 &
pids+=($!)
wait_for 300 test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" || fail "weston did not start"

start_housesim || fail "housesim did not start"
auto_login_registry "$port" "demo" || fail "the registry could not be set up"

# The toolkit's Wayland plugin keeps a block that LeakSanitizer can only report once the plugin
# is unloaded, as an unknown module it cannot tell from ours; the program's own leaks are
# checked by the tests that run it on X11 and offscreen.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  QT_QPA_PLATFORM=wayland "$bin/hearthview" >"$work/hearthview.log" 2>&1 &
client=$!
pids+=($client)

said() { grep -q "$1" "$work/housesim.log"; }
# Dawn and dusk: the last of what the program asks for as it shows the house.
wait_for 900 said "(demo): Get dawn dusk" || fail "hearthview did not log in and show the house"
kill -TERM "$client"
for _ in $(seq 300); do
  kill -0 "$client" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$client" 2>/dev/null && fail "hearthview did not end on SIGTERM"
wait "$client"
status=$?
[[ $status -eq 0 ]] || fail "hearthview ended with $status"
wait_for 50 said "(demo): Logoff" || fail "housesim heard no Logoff"
wait_for 50 said "(demo): Goodbye" || fail "housesim heard no Goodbye"
if grep -qi "xcb\|could not connect to display" "$work/hearthview.log"; then
  fail "hearthview looked for X"
fi
echo "PASS: hearthview ran on weston without X and logged off cleanly"
