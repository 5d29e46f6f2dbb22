# Sourced by the shell tests that run the real programs against housesim: they set `bin` (the
# programs' folder) first; begin_session makes `work`, the test's temporary folder.

# Makes the test's temporary folder ($work, named after $1) and takes everything down when
# the test ends, also when it is ended from outside (ctest's timeout): every process in
# `pids` gets the signal $2 (TERM unless named), then the folder goes.
begin_session() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
  pids=()
  end_signal=${2:-TERM}
  trap end_session EXIT
  trap 'exit 1' TERM INT HUP
}
end_session() {
  local pid
  for pid in "${pids[@]}"; do kill "-$end_signal" "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}

# Says what failed, shows the end of each program's log and what the test's own
# show_on_failure adds, and ends the test.
fail() {
  echo "FAIL: $*"
  local log
  for log in hearthview.log hearthview.err housesim.log; do
    [[ -s "$work/$log" ]] || continue
    echo "--- $log"
    tail -40 "$work/$log"
  done
  if declare -F show_on_failure >/dev/null; then show_on_failure; fi
  exit 1
}

# Points HOME ($1, or $work itself) and the XDG folders into $work, so the programs never
# touch the real user's files.
use_own_user_folders() {
  local home=${1:-$work}
  mkdir -p "$home" "$work/config" "$work/data" "$work/tmp"
  export HOME="$home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    TMPDIR="$work/tmp"
}

# Waits up to $1 tenths of a second for the command to succeed.
wait_for() {
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

# Starts Xvfb with a screen of $1 (WxHxDepth) on a display number it finds free, and exports
# DISPLAY once a client gets through to it (a server that said its number but takes no
# client would otherwise fail the test much later, as a program that did not start). It never
# resets: the reset Xvfb does when its last client leaves drops a client connecting just then.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for 100 test -s "$work/display" || return 1
  export DISPLAY=":$(head -1 "$work/display")"
  if ! wait_for 300 xdpyinfo >/dev/null 2>&1; then
    echo "display $DISPLAY takes no client; Xvfb said:"
    tail -20 "$work/xvfb.log"
    return 1
  fi
}

# Starts housesim on a free loopback port with the given options, its output in
# $work/housesim.log, and sets `port` once it listens. With --console first, housesim reads
# its console commands ("log TEXT") from a pipe that the test writes on descriptor 7.
start_housesim() {
  local console=/dev/null
  if [[ ${1:-} == --console ]]; then
    shift
    console=$work/console
    mkfifo "$console"
  fi
  "$bin/housesim" --listen 127.0.0.1:0 --port-file "$work/port" "$@" <"$console" \
    >"$work/housesim.log" 2>&1 &
  pids+=($!)
  [[ $console == /dev/null ]] || exec 7>"$console"
  wait_for 100 test -s "$work/port" || return 1
  port=$(tr -d '[:space:]' <"$work/port")
}

# Sets up the registry store for an automatic login as "demo" to housesim on 127.0.0.1:$1,
# with the password $2; further arguments are more "Client Settings" lines, as hvreg export
# writes them (kind, name and value separated by tabs).
auto_login_registry() {
  local port=$1 password=$2
  shift 2
  {
    printf '%s\n' '# hvreg export 1'
    printf 'key\t%s\n' 'Software\Orvane LLC\Varnholt\Client Settings'
    printf 'number\tAuto Login\t1\n'
    printf 'text\tLoginSelName\thousesim\n'
    printf 'text\tLoginAddress\t127.0.0.1\n'
    printf 'number\tLoginPort\t%s\n' "$port"
    printf 'text\tLoginUserName\tdemo\n'
    printf 'text\tLoginPassword\t%s\n' "$password"
    [[ $# -eq 0 ]] || printf '%s\n' "$@"
  } >"$work/registry.txt"
  "$bin/hvreg" import "$work/registry.txt" >/dev/null
}
