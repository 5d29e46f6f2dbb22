#!/usr/bin/env bash
# The README's recipes, run as a user runs them, so that the README cannot drift from the
# programs: the automatic login stored with hvreg (the real hearthview, offscreen, must log
# in to housesim with it), the command file that drives the house through the logged-in
# client, and hvreg's list/get/set/delete/export/import. A recipe is the indented block after
# a "<!-- recipe: NAME" line of README.md.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}
src=${HV_SOURCE_DIR:?HV_SOURCE_DIR names the source folder}

. "$(dirname "${BASH_SOURCE[0]}")/session_lib.sh"
begin_session hv-readme
use_own_user_folders "$work/home"
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY
mkdir -p "$work/cwd" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" PATH="$bin:$PATH"

# The lines of the recipe named $1, without their indent.
recipe() {
  awk -v name="$1" '
    index($0, "<!-- recipe: " name " ") == 1 { found = 1; next }
    found && /^    / { started = 1; print substr($0, 5); next }
    found && started { exit }
  ' "$src/README.md"
}
# Runs recipe text (standard input) in the current folder as a script that stops at the first
# failing command.
run_recipe() { bash -e -o pipefail; }

# The login: every line but the last stores it, the last starts the client.
login=$(recipe login)
[[ -n "$login" ]] || fail "README.md has no login recipe"
[[ "$(tail -n 1 <<<"$login")" == hearthview ]] || fail "the login recipe does not end with hearthview"
grep -q -- '--number 1025$' <<<"$login" || fail "the login recipe does not name housesim's port 1025"
start_housesim --no-console || fail "housesim did not start"
# The recipe names housesim's default port; this housesim listens on a free one.
(cd "$work/cwd" && head -n -1 <<<"$login" | sed "s/--number 1025\$/--number $port/" | run_recipe) ||
  fail "the login recipe's hvreg commands failed"
(cd "$work/cwd" && exec env QT_QPA_PLATFORM=offscreen hearthview) >"$work/hearthview.log" 2>&1 &
client=$!
pids+=($client)
logged_in() { grep -q 'Login "demo" accepted' "$work/housesim.log"; }
wait_for 300 logged_in || fail "hearthview did not log in with the recipe's values"

# The command file, from the home folder the client watches.
commands=$(recipe command-file)
[[ -n "$commands" ]] || fail "README.md has no command-file recipe"
# The recipe's one-second wait is a person's; on a busy test machine (a sanitizer build) the
# response may come later, and then the recipe's last line, the cat, fails on a missing file.
answer=$(cd "$HOME" && run_recipe <<<"$commands") ||
  [[ ! -e "$HOME/VHCmdResponse.txt" && ! -e "$HOME/VHCmd.txt.new" ]] ||
  fail "the command-file recipe failed"
expected='OK switch "Porch Light" on'
if ! grep -qF "$expected" <<<"$answer"; then
  answered() { grep -qF "$expected" "$HOME/VHCmdResponse.txt" 2>/dev/null; }
  wait_for 200 answered || fail "no \"$expected\" in the response: $answer"
  echo "note: the response came after the recipe's wait"
fi
grep -qF 'OK macro "Good Night" run' "$HOME/VHCmdResponse.txt" || fail "the macro was not run"

# hvreg's recipe on the store the login recipe wrote, once the client has ended and left it.
kill -TERM "$client"
ended() { ! kill -0 "$client" 2>/dev/null; }
wait_for 300 ended || fail "hearthview did not end on SIGTERM"
editing=$(recipe hvreg)
[[ -n "$editing" ]] || fail "README.md has no hvreg recipe"
printed=$(cd "$work/cwd" && run_recipe <<<"$editing" 2>&1) || fail "the hvreg recipe failed: $printed"
grep -q "^LoginPort$(printf '\t')number$(printf '\t')$port\$" <<<"$printed" ||
  fail "hvreg list did not show the stored port: $printed"
grep -qx "$port" <<<"$printed" || fail "hvreg get did not print the port alone: $printed"
[[ "$(hvreg export)" == "$(cat "$work/cwd/settings.txt")" ]] ||
  fail "the store after the import is not the export"
grep -q "Max Log Entries$(printf '\t')500" "$work/cwd/settings.txt" && fail "the deleted value was exported"
echo "PASS: the README's login, command-file and hvreg recipes work as written"
