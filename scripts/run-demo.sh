#!/usr/bin/env bash
# Installs what is needed, builds, puts a demo database beside the program when none is
# there (an existing one is never overwritten) and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
mkdir -p build/bin/data
if [ ! -e build/bin/data/Hydrovat.mdb ]; then
  build/bin/fluxmere-db demo build/bin/data/Hydrovat.mdb
fi
exec build/bin/fluxmere
