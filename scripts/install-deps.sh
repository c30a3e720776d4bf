#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Calorix need.
# Safe to run again: it asks apt only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  python3
  # platform: logind over D-Bus, idle time from the X screen saver, zones and locales
  libsystemd-dev libx11-6 libxss1 xvfb tzdata locales
  # pictures: text, fonts and image files
  libfreetype-dev libfontconfig-dev fontconfig libpng-dev zlib1g-dev libgif-dev fonts-liberation fonts-dejavu-core
  # tests: decode written pictures with a standard reader
  imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Tests format dates and numbers in German and US English: make sure both
# locales exist (a new machine has neither compiled).
for loc in de_DE en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^${loc}\.utf-\?8$"; then
    "${sudo_cmd[@]}" localedef -i "$loc" -f UTF-8 "$loc.UTF-8"
  fi
done
