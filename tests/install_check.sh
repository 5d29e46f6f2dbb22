#!/usr/bin/env bash
# What `cmake --install` puts in place, checked against what the README promises: the
# programs in bin/ and libexec/hearthview/ are exactly those of the README's program table, each has a man page, the
# desktop file validates and names an icon that is installed in the usual sizes, and the data
# the program looks for beside bin/ is there. Also: every script answers --help and refuses an
# unknown option without leaving files behind.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}
src=${HV_SOURCE_DIR:?HV_SOURCE_DIR names the source folder}
build=$(cd "$bin/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/hv-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; echo "FAIL: cmake --install failed"; exit 1; }

# Programs for people go in bin/; the helper the client starts in libexec/hearthview/.
installed=$( (ls "$prefix/bin"; ls "$prefix/libexec/hearthview" 2>/dev/null) | sort)
[[ -x "$prefix/libexec/hearthview/restart" && ! -e "$prefix/bin/restart" ]] ||
  fail "restart is not installed as libexec/hearthview/restart (and only there)"
# The rows of the table under "## The programs": | `name` | what it is |
documented=$(awk '/^## /{inside = ($0 == "## The programs")} inside && /^\| `[^`]+` \|/' \
               "$src/README.md" | sed 's/^| `\([^`]*\)`.*/\1/' | sort)
[[ -n "$documented" ]] || fail "the README has no program table under \"## The programs\""
if [[ "$installed" != "$documented" ]]; then
  fail "installed programs and the README's list differ:"
  diff <(echo "$documented") <(echo "$installed") | sed 's/^/  /'
fi
for program in $installed; do
  [[ -f "$prefix/share/man/man1/$program.1" ]] || fail "$program has no man page"
  if command -v man >/dev/null; then
    man -l "$prefix/share/man/man1/$program.1" >/dev/null 2>&1 || fail "man cannot show $program.1"
  fi
done

desktop=$prefix/share/applications/hearthview.desktop
if [[ ! -f "$desktop" ]]; then
  fail "no hearthview.desktop"
elif command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "hearthview.desktop does not validate"
else
  echo "note: desktop-file-validate is not installed; the desktop file was not validated"
fi
icon=$(sed -n 's/^Icon=//p' "$desktop" 2>/dev/null)
for size in 16 32 48 256; do
  [[ -f "$prefix/share/icons/hicolor/${size}x$size/apps/$icon.png" ]] ||
    fail "no ${size}x$size icon \"$icon\""
done
for data in share/hearthview/VH.BMP share/hearthview/help/index.html; do
  [[ -f "$prefix/$data" ]] || fail "$data is not installed"
done

cd "$work" && mkdir scratch && cd scratch
for script in "$src"/scripts/*; do
  [[ -f "$script" && -x "$script" ]] || continue
  name=scripts/$(basename "$script")
  out=$("$script" --help 2>&1)
  status=$?
  [[ $status -eq 0 && -n "$out" ]] || fail "$name --help: status $status"
  "$script" --no-such-option >/dev/null 2>&1
  status=$?
  [[ $status -ne 0 ]] || fail "$name accepted --no-such-option"
  [[ -z "$(ls -A)" ]] && continue
  fail "$name left files behind: $(ls -A | tr '\n' ' ')"
  rm -rf ./* ./.[!.]* 2>/dev/null
done

[[ $failures -eq 0 ]] || exit 1
echo "install check passed"
