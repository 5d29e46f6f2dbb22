#!/usr/bin/env bash
# scripts/package over a build folder it cannot use (configured from another checkout, or with
# another generator) stops before building and says what is wrong and what to do, instead of
# CMake's error about the cache. It runs on a copy of the script in a scratch tree, whose
# install-deps does nothing, so no real build folder is touched.
set -uo pipefail
src=${HV_SOURCE_DIR:?HV_SOURCE_DIR names the source folder}
work=$(mktemp -d "${TMPDIR:-/tmp}/hv-package-script.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$work/tree/scripts" "$work/tree/build/release" "$work/elsewhere"
cp "$src/scripts/package" "$work/tree/scripts/package"
printf '#!/bin/sh\nexit 0\n' >"$work/tree/scripts/install-deps"
chmod +x "$work/tree/scripts/install-deps"
cache=$work/tree/build/release/CMakeCache.txt

refused() {  # what the script says; fails unless it refuses with status 2 and names $1
  local out status
  out=$("$work/tree/scripts/package" 2>&1)
  status=$?
  [[ $status -eq 2 ]] || fail "$2: status $status, not 2: $out"
  grep -q "$1" <<<"$out" || fail "$2: the message does not say \"$1\": $out"
  grep -q "rm -rf build/release" <<<"$out" || fail "$2: the message does not say what to do: $out"
  grep -qi "CMake Error" <<<"$out" && fail "$2: CMake's own error reached the user: $out"
}

printf 'CMAKE_HOME_DIRECTORY:INTERNAL=%s\nCMAKE_GENERATOR:INTERNAL=Ninja\n' "$work/elsewhere" >"$cache"
refused "configured from another source folder ($work/elsewhere)" "another checkout"
printf 'CMAKE_HOME_DIRECTORY:INTERNAL=%s\nCMAKE_GENERATOR:INTERNAL=Ninja\n' "$work/gone" >"$cache"
refused "another source folder" "a checkout that is gone"
printf 'CMAKE_HOME_DIRECTORY:INTERNAL=%s\nCMAKE_GENERATOR:INTERNAL=Unix Makefiles\n' \
  "$work/tree" >"$cache"
refused 'generator "Unix Makefiles"' "another generator"

[[ $failures -eq 0 ]] || exit 1
echo "package script test passed"
