#!/usr/bin/env bash
# The Debian package that scripts/package makes, built with cpack from the tested build and
# checked with lintian: no error or warning (compressed man pages, the copyright file and
# changelog, a maintainer address that reaches someone, description lines that fit), the
# restart helper in /usr/libexec/hearthview, off the command path, with its manual among the
# documentation, hvbridge's user unit in /usr/lib/systemd/user, and qt6-wayland recommended. Exit 77 (skipped) without
# lintian (scripts/install-deps --lint installs it) or dpkg-shlibdeps.
set -uo pipefail
bin=${HV_BIN_DIR:?HV_BIN_DIR names the folder of the programs}
build=$(cd "$bin/.." && pwd)
for tool in lintian dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps --lint)"
    exit 77
  fi
done
work=$(mktemp -d "${TMPDIR:-/tmp}/hv-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; echo "FAIL: cpack failed"; exit 1; }
package=$(ls "$work"/hearthview_*.deb)
lintian --fail-on error,warning "$package" 2>&1 | grep -v '^running with root privileges'
[[ ${PIPESTATUS[0]} -eq 0 ]] || { echo "FAIL: lintian found errors or warnings"; exit 1; }
files=$(dpkg-deb -c "$package" | awk '{print $NF}')
grep -qx './usr/libexec/hearthview/restart' <<<"$files" || { echo "FAIL: no /usr/libexec/hearthview/restart"; exit 1; }
if grep -qx './usr/bin/restart' <<<"$files"; then echo "FAIL: restart is on the command path"; exit 1; fi
# Debian's place for packaged user units; helpers' manuals with the documentation, none in
# man1 for a command that is not on the path.
grep -qx './usr/lib/systemd/user/hvbridge.service' <<<"$files" ||
  { echo "FAIL: no /usr/lib/systemd/user/hvbridge.service"; exit 1; }
for helper in restart hvbridge-keyring; do
  grep -qx "./usr/share/doc/hearthview/$helper.1.gz" <<<"$files" ||
    { echo "FAIL: no /usr/share/doc/hearthview/$helper.1.gz"; exit 1; }
  if grep -qx "./usr/share/man/man1/$helper.1.gz" <<<"$files"; then
    echo "FAIL: man1 has a page for $helper, which is not on the command path"; exit 1
  fi
done
recommends=$(dpkg-deb -f "$package" Recommends)
grep -qw 'qt6-wayland' <<<"$recommends" ||
  { echo "FAIL: the package does not recommend qt6-wayland: $recommends"; exit 1; }
echo "package check passed: $(basename "$package")"
