# Sourced by the shell tests that run the real programs against housesim: they set `bin`
# (the programs' folder) and `work` (their temporary folder) first.

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
