#!/usr/bin/env bash
# Fails, naming the library and the call, when a static library of the programs (every
# libfx_*.a under the build folder but the tests' and benchmarks' own) calls a function that
# ends the process. Only the programs' main decides how a program ends.
set -euo pipefail
build=${1:?usage: check-libraries-never-exit.sh BUILD_FOLDER}
mapfile -t libraries < <(find "$build" -name 'libfx_*.a' -not -path '*/tests/*' \
    -not -path '*/bench/*' | sort)
if [ "${#libraries[@]}" -eq 0 ]; then
    echo "no libfx_*.a under $build: build the programs first" >&2
    exit 1
fi
found=0
for library in "${libraries[@]}"; do
    calls=$(nm --undefined-only "$library" | awk '{print $NF}' |
        grep -xE '_Exit|_exit|exit|quick_exit|abort' | sort -u || true)
    if [ -n "$calls" ]; then
        echo "$library calls: $(echo "$calls" | tr '\n' ' ')" >&2
        found=1
    fi
done
[ "$found" -eq 0 ] && echo "${#libraries[@]} libraries checked; none ends the process"
exit "$found"
