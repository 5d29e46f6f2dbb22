#!/usr/bin/env bash
# The README's Home Assistant recipe, run as a new user runs it on a fresh account (no
# ~/.config/hearthview yet): its commands write the passwords and the configuration, then
# hvbridge, started with no options as the user unit starts it, logs in to housesim and to a
# mosquitto that wants the recipe's broker login; the recipe's mosquitto_sub shows the states
# and no picture bytes, and its mosquitto_pub switches a light. The server and the broker are
# on free loopback ports, so the recipe's addresses are replaced by them.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}
src=${HV_SOURCE_DIR:?HV_SOURCE_DIR names the source folder}
[[ -x /usr/sbin/mosquitto ]] && command -v mosquitto_passwd >/dev/null &&
  command -v mosquitto_sub >/dev/null || { echo "mosquitto is missing"; exit 77; }

. "$src/tests/session_lib.sh"
begin_session hv-bridge-recipe
use_own_user_folders "$work/home"
# A fresh account: no XDG_CONFIG_HOME, so ~/.config, where the recipe writes.
export XDG_STATE_HOME="$work/state" PATH="$bin:$PATH"
unset DBUS_SESSION_BUS_ADDRESS XDG_CONFIG_HOME
show_on_failure() {
  local log
  for log in hvbridge.log mosquitto.log; do
    echo "--- $log"
    tail -30 "$work/$log" 2>/dev/null
  done
}

# The recipe's lines: the block after its marker, indented as a list item's code (7 spaces).
recipe=$(awk '
  index($0, "   <!-- recipe: hvbridge ") == 1 { found = 1; next }
  found && /^       / { started = 1; print substr($0, 8); next }
  found && started && !/^$/ { exit }
  found && started { print }
' "$src/README.md")
[[ -n "$recipe" ]] || fail "README.md has no hvbridge recipe"
grep -qx 'server = 192.168.1.20' <<<"$recipe" || fail "the recipe's server line changed"
grep -qx 'broker = homeassistant.local:1883' <<<"$recipe" || fail "the recipe's broker line changed"
[[ ! -e "$HOME/.config" ]] || fail "the account is not fresh"

start_housesim --no-console || fail "housesim did not start"
broker_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mosquitto_passwd -b -c "$work/broker-users" hearthview 'broker password' >/dev/null 2>&1 ||
  fail "mosquitto_passwd failed"
chmod 600 "$work/broker-users"
# Run as root, mosquitto would become the user "mosquitto", who cannot read the test's folder.
printf 'listener %s 127.0.0.1\nallow_anonymous false\npassword_file %s\nuser %s\n' \
  "$broker_port" "$work/broker-users" "$(id -un)" >"$work/mosquitto.conf"
/usr/sbin/mosquitto -c "$work/mosquitto.conf" >"$work/mosquitto.log" 2>&1 &
pids+=($!)

# housesim's demo user has the password "demo".
(cd "$HOME" && sed -e "s/^server = 192.168.1.20\$/server = 127.0.0.1:$port/" \
  -e "s/^broker = homeassistant.local:1883\$/broker = 127.0.0.1:$broker_port/" \
  -e "s/'my password'/demo/" <<<"$recipe" | bash -e -o pipefail) ||
  fail "the recipe failed on a fresh account"
[[ "$(stat -c %a "$HOME/.config/hearthview/server-password")" == 600 ]] ||
  fail "the password file is readable by others"

hvbridge >"$work/hvbridge.log" 2>&1 &
pids+=($!)
sub() {
  mosquitto_sub -p "$broker_port" -u hearthview -P 'broker password' "$@" 2>/dev/null || true
}
# The recipe's mosquitto_sub, on the test's broker: every retained topic, no picture.
watch_line=$(grep -o "mosquitto_sub -v -t 'hearthview/#' -T" "$src/README.md" | head -1)
[[ -n "$watch_line" ]] || fail "the README's mosquitto_sub no longer filters the pictures"
topics() { sub -v -t 'hearthview/#' -T 'hearthview/+/camera/+/thumbnail' -W 2; }
has_states() { topics | grep -aq '/switch/porch_light_[0-9a-f]*/state OFF'; }
wait_for 200 has_states || fail "hvbridge published no states with the recipe's settings"
pictures() { sub -t 'hearthview/+/camera/+/thumbnail' -C 1 -W 5 | head -c 2 | od -An -tx1; }
[[ "$(pictures | tr -d ' ')" == ffd8 ]] || fail "no camera picture to filter out"
topics | grep -aq $'\xff\xd8' && fail "the recipe's mosquitto_sub prints picture bytes"

# The recipe's mosquitto_pub switches the Porch Light.
light=$(topics | awk '$1 ~ /\/switch\/porch_light_[0-9a-f]+\/state$/ {print $1; exit}')
mosquitto_pub -p "$broker_port" -u hearthview -P 'broker password' -t "${light%/state}/set" -m ON
light_on() { [[ "$(sub -t "$light" -C 1 -W 2)" == ON ]]; }
wait_for 100 light_on || fail "mosquitto_pub did not switch the Porch Light on"

# The user unit the recipe enables starts the same program with no options.
unit="$src/tools/hvbridge/hvbridge.service.in"
grep -qx 'ExecStart=@HVBRIDGE_PROGRAM@' "$unit" || fail "the unit does not start hvbridge alone"
echo "PASS: the README's Home Assistant recipe works on a fresh account"
