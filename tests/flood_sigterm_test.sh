#!/usr/bin/env bash
# The real hearthview (offscreen) logged in to housesim, which floods it with ten million Log
# items at once: a SIGTERM sent while the flood is being read ends the program through its
# normal end path (the settings file is written) within a few seconds, long before the
# flood would be through.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}

. "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"
begin_session hv-flood KILL
use_own_user_folders
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY

start_housesim --console --quiet || fail "housesim did not start"

auto_login_registry "$port" "demo" || fail "the registry could not be set up"

QT_QPA_PLATFORM=offscreen "$bin/hearthview" >"$work/hearthview.log" 2>&1 &
client=$!
pids+=($client)

# The flood goes to clients whose log feed is on, which the window's first requests turn on.
flooded() {
  echo "flood 10000000" >&7
  wait_for 20 grep -q "log items sent to" "$work/housesim.log" || return 1
  if grep -q "log items sent to 1 client" "$work/housesim.log"; then return 0; fi
  : >"$work/housesim.log"
  return 1
}
wait_for 20 flooded || fail "the client did not log in with its log feed on"
# Let it get well into the flood, then ask it to end.
sleep 1
kill -0 "$client" 2>/dev/null || fail "hearthview ended by itself"
started=$(date +%s%N)
kill -TERM "$client"
ended() { ! kill -0 "$client" 2>/dev/null; }
wait_for 100 ended || fail "hearthview did not end within 10 s of SIGTERM"
wait "$client"
status=$?
elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
echo "hearthview ended ${elapsed_ms} ms after SIGTERM, with status $status"
[[ $status -eq 0 ]] || fail "hearthview ended with status $status"
[[ -s "$work/config/Varnholt/VHClientSettings.txt" ]] ||
  fail "the settings file was not written: the program did not take its normal end path"
echo "PASS"
