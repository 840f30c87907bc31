#!/usr/bin/env bash
# Makes the Debian package from the build folder with cpack and checks it
# with dpkg-deb: the files it installs, its dependencies, and that the
# program inside runs. Exits 77 (skipped) when cpack or dpkg-deb is missing.
#   check-package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
for tool in cpack dpkg-deb; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed, so the Debian package cannot be made or read here"
    exit 77
  fi
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  fail "cpack could not make the package"
fi
arch=$(dpkg --print-architecture)
deb="$out/ostrel_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(cd "$out" && ls ./*.deb 2>/dev/null)"

contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/ostrel ./usr/share/ostrel/extension/manifest.json \
    ./usr/share/ostrel/extension/service_worker.js ./usr/share/ostrel/extension/icon48.png \
    ./usr/share/applications/ostrel.desktop ./usr/share/icons/hicolor/scalable/apps/ostrel.svg \
    ./usr/share/man/man1/ostrel.1.gz ./usr/share/doc/ostrel/copyright; do
  grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"
done
grep -q '^-rwxr-xr-x root/root .* ./usr/bin/ostrel$' <<<"$contents" ||
  fail "/usr/bin/ostrel is not an executable owned by root"

[ "$(dpkg-deb -f "$deb" Package)" = ostrel ] || fail "the package is not named ostrel"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The package names alone, one a line, alternatives included.
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g')
for dep in chromium qt6-qpa-plugins libqt6widgets6 libqt6gui6 libqt6core6 libsodium23 libc6 \
    libstdc++6 fonts-liberation2; do
  grep -Fqx "$dep" <<<"$names" || fail "the package does not depend on $dep"
done

dpkg-deb -x "$deb" "$out/root"
[ "$("$out/root/usr/bin/ostrel" --version)" = "ostrel $version" ] ||
  fail "the packaged program does not print its version"
desktop="$out/root/usr/share/applications/ostrel.desktop"
grep -qx 'Exec=ostrel' "$desktop" && grep -qx 'Icon=ostrel' "$desktop" ||
  fail "the desktop entry does not start ostrel with its icon"
grep -q '<svg' "$out/root/usr/share/icons/hicolor/scalable/apps/ostrel.svg" ||
  fail "the icon is not an SVG picture"
manual=$(gzip -dc "$out/root/usr/share/man/man1/ostrel.1.gz")
grep -q "^\.TH OSTREL 1 .*$version" <<<"$manual" || fail "the manual page is not that of this version"
echo "ostrel_${version}_${arch}.deb is complete"
