#!/usr/bin/env bash
# Makes the Debian package from the build folder with cpack and reads it
# back with dpkg-deb: its files, its dependencies, and the program inside
# running. Exits 77 (skipped) when cpack or dpkg-deb is missing.
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

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; fail "cpack could not make the package"; }
deb="$out/ostrel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "cpack made no $(basename "$deb")"

contents=$(dpkg-deb -c "$deb")
grep -q '^-rwxr-xr-x root/root .* ./usr/bin/ostrel$' <<<"$contents" || fail "no /usr/bin/ostrel"
for path in share/ostrel/extension/manifest.json share/ostrel/extension/service_worker.js \
    share/ostrel/extension/welcome.html share/ostrel/extension/icon128.png \
    share/applications/ostrel.desktop share/icons/hicolor/scalable/apps/ostrel.svg \
    share/man/man1/ostrel.1.gz share/doc/ostrel/copyright; do
  grep -q " ./usr/$path\$" <<<"$contents" || fail "the package lacks /usr/$path"
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g')  # one package name a line
for dep in chromium qt6-qpa-plugins libqt6widgets6 libqt6gui6 libqt6core6 libsodium23 libc6 \
    libstdc++6 fonts-liberation2; do
  grep -Fqx "$dep" <<<"$names" || fail "the package does not depend on $dep"
done

grep -q 'hardinfo' <<<"$(dpkg-deb -f "$deb" Suggests)" || fail "the package suggests no system information tool"

dpkg-deb -x "$deb" "$out/root"
share="$out/root/usr/share"
[ "$("$out/root/usr/bin/ostrel" --version)" = "ostrel $version" ] || fail "ostrel --version"
grep -qx 'Exec=ostrel' "$share/applications/ostrel.desktop" &&
  grep -qx 'Icon=ostrel' "$share/applications/ostrel.desktop" || fail "the desktop entry"
grep -q '<svg' "$share/icons/hicolor/scalable/apps/ostrel.svg" || fail "the icon is no SVG picture"
manual=$(gzip -dc "$share/man/man1/ostrel.1.gz")
grep -q "^\.TH OSTREL 1 .*$version" <<<"$manual" || fail "the manual page is not of version $version"
echo "$(basename "$deb") is complete"
