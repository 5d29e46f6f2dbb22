#!/usr/bin/env bash
# The real hearthview (Qt offscreen) logs in to housesim --hostile: command responses named
# to leave the data folder, a Launch program full of shell metacharacters, a flood of 1000
# Server messages and an answer a client must refuse. Every folder the program may use is in
# a fresh temporary folder; afterwards nothing may have been written outside its own
# folders (its HOME stays empty), nothing may have run through a shell (no "hostile-ran"
# anywhere), the program must still run and end with status 0 on SIGTERM, and the password
# must never appear in what it prints. Exit 77 (skipped) when ss is missing.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}
src=${HV_SOURCE_DIR:?HV_SOURCE_DIR names the source folder}
if ! command -v ss >/dev/null; then
  echo "SKIP: ss is not installed (scripts/install-deps installs iproute2)"
  exit 77
fi

. "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"
begin_session hv-hostile
show_on_failure() { echo "--- files"; (cd "$work" && find . -mindepth 1 | sort); }
password='Qv7-hostile-S3cret'
use_own_user_folders "$work/home"
mkdir -p "$work/cwd" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
absolute_before=$([[ -e /tmp/hostile-absolute.txt ]] && echo yes || echo no)

# The demo house with a password found nowhere else.
sed "s|{ \"name\": \"demo\", \"password\": \"demo\" }|{ \"name\": \"demo\", \"password\": \"$password\" }|" \
  "$src/sim/demo-house.json" >"$work/house.json"
grep -q "$password" "$work/house.json" || fail "the house file did not take the password"
start_housesim --house "$work/house.json" --hostile --no-console || fail "housesim did not start"

auto_login_registry "$port" "$password" || fail "the registry could not be set up"

# Started in a folder of its own: a shell would run the metacharacters' "touch" there.
(cd "$work/cwd" && exec env QT_QPA_PLATFORM=offscreen "$bin/hearthview") \
  >"$work/hearthview.out" 2>"$work/hearthview.err" &
client=$!
pids+=($client)

logged_in() { grep -q 'Login "demo" accepted' "$work/housesim.log"; }
wait_for 300 logged_in || fail "hearthview did not log in"
# The command responses come first; the client keeps their file parts in its data folder.
responses_in() {
  local name
  for name in hostile-escape hostile-absolute hostile-windows hostile-backslash; do
    [[ -e "$work/data/Varnholt/$name.txt" ]] || return 1
  done
}
wait_for 300 responses_in || fail "the command responses did not arrive"
# Then the Launch program and the flood: every byte sent must be read, on both ends of the
# connection, for a while.
queues_empty() {
  local line
  line=$(ss -tnH state established "( sport = :$port or dport = :$port )" |
         awk '$1 != 0 || $2 != 0 {print}')
  [[ -z "$line" ]]
}
drained() { queues_empty && sleep 0.3 && queues_empty && sleep 0.3 && queues_empty; }
wait_for 300 drained || fail "hearthview did not read what the server sent"
sleep 1

kill -0 "$client" 2>/dev/null || fail "hearthview ended during the hostile answers"
kill -TERM "$client"
ended() { ! kill -0 "$client" 2>/dev/null; }
wait_for 300 ended || fail "hearthview did not end on SIGTERM"
wait "$client"
status=$?
[[ $status -eq 0 ]] || fail "hearthview ended with status $status on SIGTERM"

# Nothing ran through a shell.
ran=$(find "$work" -name hostile-ran)
[[ -z "$ran" ]] || fail "the Launch program ran through a shell: $ran"
[[ -z "$(ls -A "$work/cwd")" ]] || fail "something was written in the current folder"
# Nothing was written outside the program's own folders (the test's own files aside).
[[ -z "$(ls -A "$work/home")" ]] || fail "the program wrote to its HOME"
strays=$(cd "$work" && find . -mindepth 1 \( -type f -o -type l \) |
  grep -vE '^\./(config/hearthview|config/Varnholt|data/Varnholt|tmp|runtime)/' |
  grep -vxE '\./(house\.json|port|registry\.txt|housesim\.log|hearthview\.(out|err))')
[[ -z "$strays" ]] || fail "files outside the program's folders: $strays"
if [[ $absolute_before == no && -e /tmp/hostile-absolute.txt ]]; then
  fail "a response was written to /tmp/hostile-absolute.txt"
fi
# The password is never printed.
if grep -qF "$password" "$work/hearthview.out" "$work/hearthview.err"; then
  fail "the password is in what hearthview printed"
fi
echo "PASS: logged in through the hostile answers; $(cd "$work" && find . -type f | wc -l) files, all in place"
