# Sourced by scripts/demo --mqtt once housesim runs: a mosquitto broker of its own on a free
# loopback port and hvbridge between it and the demo house; then it shows the topics and
# switches the Kitchen Lights through the broker, as a user would with mosquitto_pub (the
# Porch Light is left to the client's tour).
# Uses the demo's $bin, $profile, $port, pids, say, fail and wait_for.
for tool in mosquitto mosquitto_sub mosquitto_pub; do
  command -v "$tool" >/dev/null || [[ -x /usr/sbin/$tool ]] ||
    fail "$tool is missing (scripts/install-deps installs it)"
done
broker_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'listener %s 127.0.0.1\nallow_anonymous true\n' "$broker_port" >"$profile/mosquitto.conf"
/usr/sbin/mosquitto -c "$profile/mosquitto.conf" >"$profile/mosquitto.log" 2>&1 &
pids+=("$!")
install -m 600 /dev/null "$profile/server-password"
echo demo >"$profile/server-password"
XDG_STATE_HOME=$profile/state "$bin/hvbridge" --server "127.0.0.1:$port" --user demo \
  --password-file "$profile/server-password" --broker "127.0.0.1:$broker_port" \
  >"$profile/hvbridge.log" 2>&1 &
pids+=("$!")
topics() { mosquitto_sub -p "$broker_port" -v -t 'hearthview/#' -W 2 2>/dev/null || true; }
has_states() { topics | grep -aq '/state '; }
wait_for 100 has_states || fail "hvbridge published nothing (log: $profile/hvbridge.log)"
say "mosquitto on 127.0.0.1:$broker_port, hvbridge between it and the house; the topics:"
topics | grep -aE '/(state|availability) ' | sort | head -40 | sed 's/^/  /'
light=$(topics | awk '$1 ~ /\/switch\/kitchen_lights_[0-9a-f]+\/state$/ {print $1; exit}')
[[ -n "$light" ]] || fail "no Kitchen Lights among the topics"
mosquitto_pub -p "$broker_port" -t "${light%/state}/set" -m ON
light_on() { [[ "$(mosquitto_sub -p "$broker_port" -t "$light" -C 1 -W 2 2>/dev/null)" == ON ]]; }
wait_for 50 light_on || fail "the Kitchen Lights did not switch on (log: $profile/hvbridge.log)"
say "mosquitto_pub -t ${light%/state}/set -m ON switched the Kitchen Lights on: $light reads ON"
say "watch it yourself: mosquitto_sub -p $broker_port -v -t '#'"
