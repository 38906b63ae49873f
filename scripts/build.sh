#!/usr/bin/env bash
# Builds one or more of the builds: native (window-free core and its tests), x86_64 (runs
# under 64-bit Wine; its tests too), i686 (the release program) and i686-tests (the Wine tests
# built for 32-bit Windows, for the 32-bit lane; its own PrinterSetup.exe is not the release).
# Usage: scripts/build.sh [native] [x86_64] [i686] [i686-tests]   (default: the first three)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${BUILD_ROOT:-$root/build}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(native x86_64 i686)

for target in "${targets[@]}"; do
    dir=$build_root/$target
    # The release program is built for size (MinSizeRel). The test builds are optimised lightly
    # (-O1): their time goes into Wine and the dialogs, not into our code, and -O3 takes half as
    # long again to compile for nothing the tests can show.
    build_type=Release
    test_flags=(-DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG")
    case $target in
        native) args=("${test_flags[@]}") ;;
        x86_64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake" "${test_flags[@]}") ;;
        i686)   args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" -DWIZARD_TESTS=OFF)
                build_type=MinSizeRel ;;
        i686-tests) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686-tests.cmake" "${test_flags[@]}") ;;
        *) echo "unknown build: $target" >&2; exit 2 ;;
    esac
    # A build folder configured with another compiler or build type (an older checkout) starts
    # afresh: CMake cannot switch compilers in an existing cache.
    if [ -f "$dir/CMakeCache.txt" ]; then
        compiler=
        [ "$target" = native ] ||
            compiler=$(sed -n 's/^set(CMAKE_CXX_COMPILER \(.*\))$/\1/p' "${args[0]#-DCMAKE_TOOLCHAIN_FILE=}" | tail -n 1)
        if ! grep -qx "CMAKE_BUILD_TYPE:STRING=$build_type" "$dir/CMakeCache.txt" ||
           { [ "$build_type" = Release ] && ! grep -qx "CMAKE_CXX_FLAGS_RELEASE:STRING=-O1 -DNDEBUG" "$dir/CMakeCache.txt"; } ||
           { [ -n "$compiler" ] && ! grep -q "^CMAKE_CXX_COMPILER:[A-Z]*=.*/$compiler\$" "$dir/CMakeCache.txt"; }; then
            rm -rf "$dir"
        fi
    fi
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=$build_type "${args[@]}" >/dev/null
    fi
    echo "== building $target"
    # Under pipefail the pipeline fails exactly when the build does (the filter never fails).
    cmake --build "$dir" -- -j"$(nproc)" | { grep -vE '^\[[0-9]+/[0-9]+\] ' || true; } ||
        { echo "the $target build failed" >&2; exit 1; }
done
