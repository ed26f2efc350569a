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

# --- Fuzzing -------------------------------------------------------------
# The libFuzzer targets, built with clang, each run for a bounded time from a
# scratch copy of its seed corpus and past failures (the repository is not
# written to). A crash or a broken invariant fails the run; the input is
# printed and kept under out/fuzz/artifacts/.
CC=clang CXX=clang++ cmake -S "$root" -B "$root/out/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DZARN_FUZZ=ON -DZARN_TESTS=OFF -DZARN_BENCH=OFF >/dev/null
cmake --build "$root/out/fuzz" -j"$jobs"
for target in engine frame; do
    scratch="$root/out/fuzz/run/$target"
    rm -rf "$scratch" && mkdir -p "$scratch" "$root/out/fuzz/artifacts"
    cp "$root/tests/fuzz/corpus/$target/"* "$scratch/"
    if [ -d "$root/tests/fuzz/regressions/$target" ]; then cp "$root/tests/fuzz/regressions/$target/"* "$scratch/"; fi
    # The frame target runs SDL, whose allocations live as long as the process.
    leaks=1
    if [ "$target" = frame ]; then leaks=0; fi
    if ! "$root/out/fuzz/tests/fuzz/fuzz_$target" -max_total_time=25 -timeout=10 -detect_leaks=$leaks \
            -print_final_stats=1 -artifact_prefix="$root/out/fuzz/artifacts/$target-" "$scratch" \
            >"$scratch.log" 2>&1; then
        tail -n 40 "$scratch.log"
        echo "fuzz_$target failed; the input is in $root/out/fuzz/artifacts/" >&2
        exit 1
    fi
    echo "fuzz_$target: $(grep -E '^#[0-9]+[[:space:]]+DONE' "$scratch.log")"
done

bash "$root/tests/package/install_check.sh" "$root/out/release"
