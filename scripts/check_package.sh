#!/usr/bin/env bash
# Checks the package that scripts/package.sh wrote, without installing it:
# its file list, the programs run from a temporary root (no LD_LIBRARY_PATH),
# lintian without error, the desktop entry, the AppStream metainfo and both
# man pages.   scripts/check_package.sh [DEB]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
deb="${1:-$(ls -t build/quarvelindo_*.deb | head -n 1)}"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

libdir="usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/quarvelindo"
app_id=org.quarvelindo.Quarvelindo
expected=(
  usr/bin/quarvelindo usr/bin/quarvelindo-host
  "$libdir/libpdxr_quarvelindo.so" "$libdir/libquarvelindo_host.so" "$libdir/libquarvelindo_db.so"
  "$libdir/libquarvelindo_services.so" "$libdir/libquarvelindo_framework.so" "$libdir/libquarvelindo_host_qt.so"
  usr/share/quarvelindo/messages.tsv usr/share/quarvelindo/schema.sql
  usr/share/man/man1/quarvelindo.1.gz usr/share/man/man1/quarvelindo-host.1.gz
  "usr/share/applications/$app_id.desktop" "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
  "usr/share/metainfo/$app_id.metainfo.xml"
  usr/share/doc/quarvelindo/copyright usr/share/doc/quarvelindo/changelog.gz
)
listing="$(dpkg-deb -c "$deb")"
for file in "${expected[@]}"; do
  grep -q " \./$file\$" <<<"$listing" || fail "$deb does not hold /$file"
done
echo "check_package: dpkg-deb -c lists the ${#expected[@]} files"
dpkg-deb -f "$deb" Depends Recommends

dpkg -x "$deb" "$root"
unset LD_LIBRARY_PATH
"$root/usr/bin/quarvelindo" --version
for program in "$root/usr/bin/quarvelindo" "$root/usr/bin/quarvelindo-host" "$root/$libdir/libpdxr_quarvelindo.so"; do
  if ldd "$program" | grep -q 'not found'; then ldd "$program" >&2; fail "$program misses a library"; fi
done
# The shell loads the module from the private folder and opens it on a small database.
"$root/usr/bin/quarvelindo" demo-db "$root/check.db" --bookings 200 >/dev/null
trace="$(QUARVELINDO_DEBUG=1 QT_QPA_PLATFORM=offscreen HOME="$root" timeout 60 \
  "$root/usr/bin/quarvelindo-host" --db "$root/check.db" --screenshot "$root/check.png" 2>&1 || true)"
grep -q '|INI|PDXR_QUARVELINDO|FRMPD_QUARVELINDO' <<<"$trace" || fail "quarvelindo-host did not open the module: $trace"
[[ -s "$root/check.png" ]] || fail "quarvelindo-host from the package took no picture"
echo "check_package: both programs run from the unpacked package"

# lintian: no error. Its warnings are printed; --suppress-tags lists none.
lintian --fail-on error --allow-root "$deb" || fail "lintian reports an error"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"
for page in quarvelindo quarvelindo-host; do
  warnings="$(man --warnings -l -Tutf8 "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
  [[ -z "$warnings" ]] || fail "man $page: $warnings"
  man -l "$root/usr/share/man/man1/$page.1.gz" 2>/dev/null | grep -q "^EXAMPLES" || fail "man $page renders no EXAMPLES"
done
echo "check_package: lintian, desktop entry, metainfo and both man pages pass"
