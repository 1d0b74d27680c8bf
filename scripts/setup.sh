#!/usr/bin/env bash
# Installs the Debian packages the program, its tests and benchmarks need.
# Idempotent and quiet when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-5compat-dev qt6-translations-l10n libqcustomplot-dev libqcustomplot2.1-qt6
  libmariadb-dev mariadb-server libmodbus-dev mbpoll libgtest-dev libxcb1-dev
  xvfb xauth imagemagick help2man locales
)
# scripts/fuzz.sh also needs clang and its libFuzzer runtime.
if [ "${1:-}" = "fuzz" ]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi
# scripts/package.sh: the package's tools and its checks.
if [ "${1:-}" = "package" ]; then
  PACKAGES+=(dpkg-dev file lintian desktop-file-utils appstream)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# The tests run the programs under the Polish locale of the operators'
# desktops, so it has to exist.
polish=1
locale -a 2>/dev/null | grep -qix 'pl_PL.utf8' || polish=0
[ ${#missing[@]} -eq 0 ] && [ "$polish" -eq 1 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: root or sudo needed to install: ${missing[*]} (and the pl_PL.UTF-8 locale)" >&2; exit 1; }
  SUDO="sudo"
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qix 'pl_PL.utf8'; then
  echo "setup: generating the pl_PL.UTF-8 locale"
  grep -qx 'pl_PL.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
    echo 'pl_PL.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
