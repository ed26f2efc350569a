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
# Once more in an order of GoogleTest's choosing: no test may lean on
# another's leftovers. The seed is printed with each program's output.
GTEST_SHUFFLE=1 GTEST_RANDOM_SEED=0 \
    ctest --test-dir "$root/out/release" --output-on-failure -j"$jobs" -R '^(engine|app_)'

cmake -S "$root" -B "$root/out/sanitize" -DCMAKE_BUILD_TYPE=Debug -DZARN_WERROR=ON \
      -DZARN_SANITIZE=ON -DZARN_BENCH=OFF >/dev/null
cmake --build "$root/out/sanitize" -j"$jobs"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$root/out/sanitize" --output-on-failure -j"$jobs" -E '^e2e_'

bash "$root/tests/package/install_check.sh" "$root/out/release"
