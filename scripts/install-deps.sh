#!/usr/bin/env bash
# Installs what building, running, testing and packaging Ostrel needs on
# Debian 12, and the further packages named as arguments. Run as a normal
# user it uses sudo, and only when something is missing.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  dpkg-dev file
  libsodium-dev nlohmann-json3-dev libgtest-dev libgmock-dev
  qt6-base-dev qt6-svg-dev libxcb1-dev
  dbus-daemon
  chromium
  xvfb xauth
  "$@"
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
