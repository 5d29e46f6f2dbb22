#!/bin/sh
# Runs a command on a private session bus that also stands in for the system bus, so that
# tests of the desktop's services play the services themselves and never reach the real
# ones (nor start any: the bus knows no services of its own). Without dbus-run-session the command runs as it is.
set -u
if ! command -v dbus-run-session >/dev/null 2>&1; then
  exec "$@"
fi
export HV_REQUIRE_BUS=1
exec dbus-run-session --config-file="$(dirname "$0")/test_bus.conf" -- sh -c '
  DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS"
  export DBUS_SYSTEM_BUS_ADDRESS
  exec "$@"' with_test_bus "$@"
