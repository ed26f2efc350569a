#!/usr/bin/env bash
# Installs the dependencies, builds the game with warnings as errors, and runs
# every test: engine, headless application and end-to-end under Xvfb. Then
# builds the tests once more with AddressSanitizer and UBSan and runs the
# engine and headless application tests again (leak checks off: SDL and the
# GL driver keep allocations for the life of the process by design).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
jobs=$(nproc)

bash "$root/build/linux/deps.sh"

cmake -S "$root" -B "$root/out/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARN_WERROR=ON >/dev/null
cmake --build "$root/out/release" -j"$jobs"
ctest --test-dir "$root/out/release" --output-on-failure -j"$jobs"

cmake -S "$root" -B "$root/out/sanitize" -DCMAKE_BUILD_TYPE=Debug -DZARN_WERROR=ON \
      -DZARN_SANITIZE=ON -DZARN_BENCH=OFF >/dev/null
cmake --build "$root/out/sanitize" -j"$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$root/out/sanitize" --output-on-failure -j"$jobs" -E '^e2e_'

bash "$root/tests/package/install_check.sh" "$root/out/release"
