#!/usr/bin/env bash
# The real hearthview on a desktop with a tray, logged in to a housesim that stops in the
# middle of every block for up to a minute. While the client waits for the rest of a block,
# a SIGTERM (a desktop session that ends) and then, in a second run, the tray menu's Exit
# each end the program within a second, and the server is told Logoff and Goodbye first.
# Exit 77 (skipped) when the desktop tools are missing.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}
for tool in Xvfb trayer xdotool xwininfo; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps installs it)"
    exit 77
  fi
done

. "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"
begin_session hv-stall KILL
use_own_user_folders
unset DBUS_SESSION_BUS_ADDRESS

start_xvfb 800x600x24 || fail "Xvfb did not start"
trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
  --transparent false >"$work/trayer.log" 2>&1 &
pids+=($!)
panel_up() { xwininfo -root -tree 2>/dev/null | grep -q '("panel" "trayer")'; }
wait_for 100 panel_up || fail "trayer did not start"

icon_window() {
  xwininfo -root -tree 2>/dev/null |
    awk '/\("panel" "trayer"\)/ {inpanel=1; next}
         inpanel && /^     0x/ {inpanel=0}
         inpanel && /\("hearthview" "hearthview"\)/ {print $1; exit}'
}
has_icon() { [[ -n "$(icon_window)" ]]; }
# A stall long enough that only the program's own end can explain an end within a second.
long_stall() {
  awk '/stalls in mid-block for/ { if ($(NF-1) + 0 >= 5000) found=1 } END {exit !found}' \
    "$work/housesim.log"
}
ended() { ! kill -0 "$client" 2>/dev/null; }

# One run: housesim that stalls, the client logged in and caught in a stall, then `how` ends
# it ("term" or "menu").
run() {
  local how=$1
  : >"$work/housesim.log"
  "$bin/housesim" --listen 127.0.0.1:0 --port-file "$work/port" --no-console \
    --stall-mid-block 100:60000 --seed 7 >"$work/housesim.log" 2>&1 &
  sim=$!
  pids+=($sim)
  wait_for 100 test -s "$work/port" || fail "housesim did not start"
  port=$(tr -d '[:space:]' <"$work/port")
  rm -f "$work/port"
  auto_login_registry "$port" "demo" $'number\tTray Icon Type\t2' ||
    fail "the registry could not be set up"
  QT_QPA_PLATFORM=xcb "$bin/hearthview" >"$work/hearthview.log" 2>&1 &
  client=$!
  pids+=($client)
  wait_for 600 long_stall || fail "housesim never stalled for long"
  wait_for 300 has_icon || fail "no icon appeared in the tray"
  sleep 0.5
  ended && fail "hearthview ended by itself"
  local started
  if [[ $how == term ]]; then
    started=$(date +%s%N)
    kill -TERM "$client"
  else
    read -r cx cy < <(xwininfo -id "$(icon_window)" |
      awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
           /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x+w/2, y+h/2}')
    xdotool mousemove "$cx" "$cy" click 3
    sleep 1
    started=$(date +%s%N)
    xdotool key Up Up Return  # Exit, above the last entry (History...)
  fi
  wait_for 50 ended || fail "hearthview ($how) did not end within 5 s"
  wait "$client"
  local status=$?
  local elapsed_ms=$(( ($(date +%s%N) - started) / 1000000 ))
  echo "$how: hearthview ended ${elapsed_ms} ms after it was asked to, with status $status"
  [[ $status -eq 0 ]] || fail "hearthview ($how) ended with status $status"
  (( elapsed_ms < 1000 )) || fail "hearthview ($how) took ${elapsed_ms} ms to end"
  sleep 0.3
  grep -q ": Logoff" "$work/housesim.log" || fail "no Logoff reached the server ($how)"
  grep -q ": Goodbye" "$work/housesim.log" || fail "no Goodbye reached the server ($how)"
  kill "$sim" 2>/dev/null
  wait "$sim" 2>/dev/null
}

run term
run menu
echo "PASS"
