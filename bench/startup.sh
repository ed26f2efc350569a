#!/usr/bin/env bash
# Start-up cost of the game over the floor of SDL with its window and
# renderer (bench_floor), all on one Xvfb: the time from exec to the first
# presented frame, the CPU time used by then (less disturbed by other load
# on the machine than the wall time) and the resident memory a second later;
# medians of N runs each, the programs taking turns. Beside the floor, the
# floor that also draws a rectangle and a texture (bench_floor draw: what
# software GL's first shaders cost any drawing program), and, when given,
# another build of the game.
# Usage: bash bench/startup.sh <build-dir> [runs [other build-dir or zarn binary]]
# (needs cc, Xvfb, xdpyinfo)
set -u
build=$(cd "${1:?build directory}" && pwd)
runs=${2:-7}
game="$build/zarn"
floor="$build/bench/bench_floor"
other=${3:-}
[ -d "$other" ] && other=$(cd "$other" && pwd)/zarn
{ [ -x "$game" ] && [ -x "$floor" ]; } || { echo "build zarn and bench_floor in $build first"; exit 1; }
[ -z "$other" ] || [ -x "$other" ] || { echo "no zarn at $other"; exit 1; }
# shellcheck source=../tests/e2e/lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/lib/xserver.bash"

# The first return from SDL_RenderPresent, stamped from inside the process.
cat >"$work/first-frame.c" <<'C'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

void SDL_RenderPresent(void* renderer) {
    static void (*present)(void*);
    static int stamped;
    if (!present) present = (void (*)(void*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
    present(renderer);
    if (stamped) return;
    stamped = 1;
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    const char* path = getenv("FIRST_FRAME_FILE");
    FILE* f = path ? fopen(path, "w") : NULL;
    if (!f) return;
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    long long cpu = (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000000LL + u.ru_utime.tv_usec + u.ru_stime.tv_usec;
    fprintf(f, "%lld %lld\n", (long long)t.tv_sec * 1000000 + t.tv_nsec / 1000, cpu);
    fclose(f);
}
C
cc -O2 -shared -fPIC -o "$work/first-frame.so" "$work/first-frame.c" -ldl || exit 1

start_xvfb || { echo "no Xvfb"; exit 1; }

# One run of a command: prints "microseconds-to-first-frame resident-kB cpu-microseconds".
measure() {
    local stamp="$work/stamp" pid start
    rm -f "$stamp"
    start=${EPOCHREALTIME/./}
    (export LD_PRELOAD="$work/first-frame.so" FIRST_FRAME_FILE="$stamp" SDL_AUDIODRIVER=dummy
     exec "$@" 2>/dev/null) &
    pid=$!
    for _ in $(seq 300); do
        [ -s "$stamp" ] && break
        sleep 0.05
    done
    sleep 1
    local rss
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null)
    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ -s "$stamp" ] || { echo "no frame"; return; }
    local presented cpu
    read -r presented cpu <"$stamp"
    echo "$((presented - start)) ${rss:-0} $cpu"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

names=(floor floor+draw game)
commands=("$floor" "$floor draw" "$game")
if [ -n "$other" ]; then
    names+=(other)
    commands+=("$other")
fi
for name in "${names[@]}"; do : >"$work/$name"; done
for ((i = 0; i < runs; ++i)); do
    for k in "${!names[@]}"; do
        # shellcheck disable=SC2086  # the command's words, the floor's argument among them
        measure ${commands[$k]} >>"$work/${names[$k]}"
    done
done

declare -A ms mb cpu
printf '%-10s %12s %12s %12s   %s\n' "" "first frame" "cpu by then" "resident" "over the floor (ms / cpu ms / MB)"
for name in "${names[@]}"; do
    ms[$name]=$(awk '{print $1 / 1000}' "$work/$name" | median)
    mb[$name]=$(awk '{print $2 / 1024}' "$work/$name" | median)
    cpu[$name]=$(awk '{print $3 / 1000}' "$work/$name" | median)
    awk -v n="$name" -v a="${ms[$name]}" -v c="${cpu[$name]}" -v m="${mb[$name]}" -v fa="${ms[floor]}" \
        -v fc="${cpu[floor]}" -v fm="${mb[floor]}" 'BEGIN {
        printf "%-10s %9.1f ms %9.1f ms %9.1f MB   %+.1f / %+.1f / %+.1f\n", n, a, c, m, a - fa, c - fc, m - fm }'
done
echo "medians of $runs runs each; game: $game${other:+; other: $other}"
for name in "${names[@]}"; do
    printf '%-10s runs (ms/cpu ms/MB): %s\n' "$name" \
        "$(awk '{printf "%.0f/%.0f/%.0f ", $1 / 1000, $3 / 1000, $2 / 1024}' "$work/$name")"
done
