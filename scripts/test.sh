#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen TZ=UTC LC_ALL=C.UTF-8
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
