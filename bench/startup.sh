#!/usr/bin/env bash
# Start-up cost of the game over the floor of SDL with its window and
# renderer (bench_floor), both on their own Xvfb: the time from exec to the
# first presented frame, the CPU time used by then (less disturbed by other
# load on the machine than the wall time) and the resident memory a second
# later; medians of N runs each, the two programs taking turns.
# Usage: bash bench/startup.sh <build-dir> [runs]   (needs cc, Xvfb, xdpyinfo)
set -u
build=$(cd "${1:?build directory}" && pwd)
runs=${2:-7}
game="$build/zarn"
floor="$build/bench/bench_floor"
{ [ -x "$game" ] && [ -x "$floor" ]; } || { echo "build zarn and bench_floor in $build first"; exit 1; }
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

# One run: prints "microseconds-to-first-frame resident-kB cpu-microseconds".
measure() {
    local stamp="$work/stamp" pid start
    rm -f "$stamp"
    start=${EPOCHREALTIME/./}
    (export LD_PRELOAD="$work/first-frame.so" FIRST_FRAME_FILE="$stamp" SDL_AUDIODRIVER=dummy
     exec "$1" 2>/dev/null) &
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

: >"$work/floor" ; : >"$work/game"
for ((i = 0; i < runs; ++i)); do
    measure "$floor" >>"$work/floor"
    measure "$game" >>"$work/game"
done

for who in floor game; do
    ms=$(awk '{print $1 / 1000}' "$work/$who" | median)
    mb=$(awk '{print $2 / 1024}' "$work/$who" | median)
    cpu=$(awk '{print $3 / 1000}' "$work/$who" | median)
    printf '%-6s first frame %6.1f ms  cpu by then %6.1f ms  resident %6.1f MB  (median of %d)\n' \
        "$who" "$ms" "$cpu" "$mb" "$runs"
    printf '       runs (ms/cpu ms/MB): %s\n' "$(awk '{printf "%.0f/%.0f/%.0f ", $1 / 1000, $3 / 1000, $2 / 1024}' "$work/$who")"
    eval "${who}_ms=$ms ${who}_mb=$mb ${who}_cpu=$cpu"
done
# shellcheck disable=SC2154  # the eval above sets the figures of both
awk -v a="$game_ms" -v b="$floor_ms" -v c="$game_mb" -v d="$floor_mb" -v e="$game_cpu" -v f="$floor_cpu" \
    'BEGIN {printf "game over floor: first frame %+.1f ms, cpu %+.1f ms, resident %+.1f MB\n", a - b, e - f, c - d}'
