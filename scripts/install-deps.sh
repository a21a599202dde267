#!/usr/bin/env bash
# Installs every Debian package the build, the program, the tests and the benchmarks need.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
  build-essential cmake pkg-config ccache clang-format
  qt6-base-dev libgl-dev
  libsqlcipher-dev sqlcipher libssl-dev
  postgresql-15 libpq-dev
  libgtest-dev libbenchmark-dev
  xvfb xdotool xclip x11-utils imagemagick libx11-dev
  fonts-liberation fonts-dejavu-core fonts-noto-cjk
  qt6-l10n-tools
  dpkg-dev file desktop-file-utils man-db
  poppler-utils
)
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
