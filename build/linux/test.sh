#!/usr/bin/env bash
# Installs the dependencies, builds the game with warnings as errors, checks
# the tree's layout, clang-tidy and shell scripts (lint.sh), and runs every
# test: engine, headless application and end-to-end under Xvfb. Then
# builds the tests once more with AddressSanitizer and UBSan and runs the
# engine and headless application tests again (leak checks off: SDL and the
# GL driver keep allocations for the life of the process by design).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
jobs=$(nproc)

bash "$root/build/linux/deps.sh"

cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release -j"$jobs"
bash "$root/build/linux/lint.sh" "$root/out/release"
ctest --preset release -j"$jobs"
# Once more in an order of GoogleTest's choosing: no test may lean on
# another's leftovers. The seed is printed with each program's output.
GTEST_SHUFFLE=1 GTEST_RANDOM_SEED=0 ctest --preset release -j"$jobs" -L 'engine|app'

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"

# --- Fuzzing -------------------------------------------------------------
# The libFuzzer targets, built with clang, each run for a bounded time from a
# scratch copy of its seed corpus and past failures (the repository is not
# written to). A crash or a broken invariant fails the run; the input is
# printed and kept under out/fuzz/artifacts/.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs"
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
