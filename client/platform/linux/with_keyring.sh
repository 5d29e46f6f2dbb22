#!/bin/sh
# Runs a command with a private session bus and an unlocked keyring daemon of its own, in
# the test's temporary home, so that tests of the keyring never touch the user's. Without
# dbus-run-session or gnome-keyring-daemon the command runs as it is.
set -u
if ! command -v dbus-run-session >/dev/null 2>&1 ||
   ! command -v gnome-keyring-daemon >/dev/null 2>&1; then
  exec "$@"
fi
export HV_REQUIRE_KEYRING=1
exec dbus-run-session -- sh -c '
  mkdir -p "${XDG_DATA_HOME:-$HOME/.local/share}/keyrings"
  printf "test\n" | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1
  exec "$@"' with_keyring "$@"
