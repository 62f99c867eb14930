#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing.
set -euo pipefail
PKGS=(cmake ninja-build g++ clang ccache pkg-config
      qt6-base-dev qt6-base-dev-tools libqt6dbus6 libqt6test6 libxcb1-dev
      libcurl4-openssl-dev libgraphicsmagick++1-dev
      libgtest-dev libgmock-dev libbenchmark-dev
      python3 python3-pyftpdlib dbus dbus-x11 xvfb xauth openssl
      imagemagick graphicsmagick nodejs time libglib2.0-dev
      chromium chromium-driver python3-selenium)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
