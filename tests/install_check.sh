#!/usr/bin/env bash
# What `cmake --install` puts in place, checked against what the README promises: the
# programs in bin/ and libexec/hearthview/ are exactly those of the README's program table and
# those its "Installing" names, each has a man page, hvbridge's user unit is there, the
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
# "Installing" says where each of them goes, and the user unit.
installing=$(awk '/^## /{inside = ($0 == "## Installing")} inside' "$src/README.md")
for name in $installed hvbridge.service; do
  grep -q "\`$name\`" <<<"$installing" || fail "the README's \"Installing\" does not name $name"
done
# Commands have their page among the manual's; the helpers, off the command path, in the
# documentation folder, so that the manual names no command that cannot be typed.
for program in $installed; do
  page=$prefix/share/man/man1/$program.1
  [[ -x "$prefix/bin/$program" ]] || page=$prefix/share/doc/hearthview/$program.1
  [[ -f "$page" ]] || { fail "$program has no man page at ${page#"$prefix"/}"; continue; }
  if command -v man >/dev/null; then
    man -l "$page" >/dev/null 2>&1 || fail "man cannot show ${page#"$prefix"/}"
  fi
done
for page in "$prefix"/share/man/man1/*.1; do
  [[ -x "$prefix/bin/$(basename "$page" .1)" ]] || fail "man1 has a page for no command: $page"
done
# hvbridge's user unit, where systemd looks for it under a prefix other than /usr, naming the
# installed program.
unit=$prefix/share/systemd/user/hvbridge.service
if [[ ! -f "$unit" ]]; then
  fail "no share/systemd/user/hvbridge.service"
elif ! grep -q "^ExecStart=$prefix/bin/hvbridge" "$unit"; then
  fail "the user unit does not start $prefix/bin/hvbridge: $(grep ^ExecStart "$unit")"
fi

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
