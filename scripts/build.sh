#!/usr/bin/env bash
# Builds one or more of the three builds: native (window-free core and its tests),
# x86_64 (runs under 64-bit Wine; its tests too) and i686 (the release program).
# Usage: scripts/build.sh [native] [x86_64] [i686]   (default: all three)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(native x86_64 i686)

for target in "${targets[@]}"; do
    dir=$build_root/$target
    case $target in
        native) args=() ;;
        x86_64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake") ;;
        i686)   args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" -DWIZARD_TESTS=OFF) ;;
        *) echo "unknown build: $target" >&2; exit 2 ;;
    esac
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${args[@]}" >/dev/null
    fi
    echo "== building $target"
    cmake --build "$dir" -- -j"$(nproc)" | grep -vE '^\[[0-9]+/[0-9]+\] ' || true
    [ "${PIPESTATUS[0]}" -eq 0 ] || exit 1
done
