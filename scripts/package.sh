#!/usr/bin/env bash
# Builds Quillet's Debian package into build-deb/ and checks it: the files it must hold, the
# desktop entry, the AppStream metadata and lintian (errors fail, warnings are shown).
# Prints the package's path and its installed size.
#
#   bash scripts/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${QUILLET_DEB_BUILD:-build-deb}

bash scripts/setup.sh

echo "== package: configure and build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQUILLET_TESTS=OFF -DQUILLET_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/quillet_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/quillet_*.deb)
deb=${debs[0]}
[[ -f "$deb" ]] || { echo "package: no .deb was made" >&2; exit 1; }

echo "== package: contents"
status=0
listing=$(dpkg-deb -c "$deb" | awk '{print $NF}')
id=org.quillet.Quillet
for f in ./usr/bin/quillet \
    ./usr/share/applications/$id.desktop \
    ./usr/share/metainfo/$id.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/$id.svg \
    ./usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/$id.png \
    ./usr/share/quillet/Pictures/ ./usr/share/quillet/Sound/ \
    ./usr/share/man/man1/quillet.1.gz \
    ./usr/share/doc/quillet/copyright ./usr/share/doc/quillet/changelog.Debian.gz; do
    grep -qxF "$f" <<<"$listing" || { echo "package: $f is missing" >&2; status=1; }
done
pictures=$(grep -c '^\./usr/share/quillet/Pictures/.*\.\(jpg\|bmp\)$' <<<"$listing" || true)
sounds=$(grep -c '^\./usr/share/quillet/Sound/.*\.ogg$' <<<"$listing" || true)
want_pictures=$(find data/Pictures -type f \( -name '*.jpg' -o -name '*.bmp' \) | wc -l)
want_sounds=$(find data/Sound -type f -name '*.ogg' | wc -l)
((pictures == want_pictures && sounds == want_sounds)) || {
    echo "package: $pictures of $want_pictures pictures, $sounds of $want_sounds sounds" >&2
    status=1
}
depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6widgets6 libjpeg62-turbo libsndfile1 libpulse0 libsqlite3-0 fonts-dejavu-core; do
    [[ "$depends" == *"$d"* ]] || { echo "package: does not depend on $d" >&2; status=1; }
done
# Qt's German texts that the program shows are its own; the 13 MiB catalogue package is not needed.
[[ "$depends" != *qt6-translations-l10n* ]] || { echo "package: depends on qt6-translations-l10n" >&2; status=1; }

echo "== package: the files as installed"
unpacked=$(mktemp -d "${TMPDIR:-/tmp}/quillet-deb.XXXXXX")
trap 'rm -rf -- "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
desktop-file-validate "$unpacked/usr/share/applications/$id.desktop" || status=1
appstreamcli validate --no-net --explain "$unpacked/usr/share/metainfo/$id.metainfo.xml" || status=1

echo "== package: lintian"
# Errors fail the check; warnings and information are shown for the packager to weigh.
lintian_out=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
[[ -n "$lintian_out" ]] && echo "$lintian_out"
if grep -q '^E:' <<<"$lintian_out"; then
    echo "package: lintian reports errors" >&2
    status=1
fi

size=$(du -h "$deb" | cut -f1)
installed=$(dpkg-deb -f "$deb" Installed-Size)
echo "package: $root/$deb ($size; installed $((installed / 1024)) MiB)"
exit $status
