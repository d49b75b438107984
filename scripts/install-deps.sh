#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing: with --demo only what building and showing the
# display needs, otherwise also what the tests, benchmarks, fuzzing and packaging need.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev libx11-dev libxfixes-dev
  xvfb fonts-liberation fonts-dejavu-core
)
if [[ "${1:-}" != --demo ]]; then
  packages+=(
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    xdotool x11-utils imagemagick openbox xclip
    qt6-gtk-platformtheme python3-pyatspi at-spi2-core dbus-daemon dbus-x11
    locales procps python3 dpkg-dev file ccache
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[[ "${1:-}" == --demo ]] && exit 0
# A comma-decimal locale for the tests that check locale-aware numbers and time stamps.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
