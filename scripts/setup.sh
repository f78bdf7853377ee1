#!/usr/bin/env bash
# Installs everything the project needs to build, run and test on Debian 12.
# Idempotent and non-interactive; run as root (or through sudo).
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config python3 clang libclang-rt-14-dev clang-format
  # libraries
  libsqlite3-dev sqlite3 libjpeg62-turbo-dev libzip-dev antiword
  qt6-base-dev qt6-multimedia-dev qt6-webengine-dev libqt6test6 qt6-translations-l10n
  # tests and benchmarks (locales: a decimal-comma locale is made below)
  locales
  libgtest-dev libgmock-dev googletest libbenchmark-dev libxml2-dev libpugixml-dev curl unzip
  python3-openpyxl python3-xlwt python3-docx
  # network peers for the transport tests (their own services are kept from starting)
  dante-server microsocks tinyproxy nginx-light
  # fonts and a virtual display for trying the program and screenshots; xdg-open for opening
  # the log, saved files and links
  fonts-noto-cjk xvfb xauth xdg-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  # Packages with daemons must not start them: the tests start their own peers.
  policy=/usr/sbin/policy-rc.d
  made_policy=0
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null
    $SUDO chmod 755 "$policy"
    made_policy=1
  fi
  trap '[ $made_policy -eq 1 ] && $SUDO rm -f "$policy"' EXIT
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale that writes numbers with a decimal comma, for the tests that read files under one.
locale -a | grep -qx 'de_DE.utf8' || $SUDO localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
