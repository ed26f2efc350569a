#!/usr/bin/env bash
# Keeps the tree as clean as the README says: every C++ file laid out as
# .clang-format says, every shell script clean under shellcheck, the
# includes of src/ pointing the way the README's Layout says and in no
# circle, and src/ clean under .clang-tidy (compiled as the build's
# compile_commands.json says). Each fault is printed, and each file at fault
# named on a line "lint: ...".
#
# Usage: lint.sh [build dir]   (out/release by default; it must be configured)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/out/release}" && pwd)
jobs=$(nproc)
cd "$root"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

# Found afresh, so that a file is checked before it is committed.
mapfile -d '' cxx < <(find src tests bench tools -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
mapfile -d '' sources < <(find src -type f -name '*.cpp' -print0 | sort -z)
mapfile -d '' scripts < <(find . \( -path ./out -o -path ./.git \) -prune -o -type f \( -name '*.sh' -o -name '*.bash' \) \
    -print0 | sort -z)

# --- Layout ---------------------------------------------------------------
if ! clang-format --dry-run -Werror "${cxx[@]}" >"$scratch/format" 2>&1; then
    head -n 60 "$scratch/format"
    sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' "$scratch/format" | sort -u |
        while read -r file; do echo "lint: $file is not laid out as .clang-format says (clang-format -i $file)"; done
    failed=1
fi

# --- Includes -------------------------------------------------------------
# What each folder of src/ may include from the others, as the README's
# Layout has it: all of a folder (ending in /) or the headers named. A
# testing header (FooTesting.h) only from its owner, Foo.cpp.
declare -A reaches=(
    [engine]=''
    [assets]=''
    [sound]='engine/ assets/'
    [window]='engine/ assets/ interaction/Actions.h presentation/Table.h'
    [interaction]='engine/ assets/ sound/CardAudio.h presentation/Table.h presentation/Victory.h'
    [presentation]='engine/ assets/ sound/CardAudio.h interaction/TableState.h interaction/PointerState.h'
    [shell]='engine/ assets/ sound/ window/ interaction/ presentation/'
)
# A file of the include graph: a .cpp with its headers.
node() { local name=${1%.*}; echo "${name%Testing}"; }
grep -Hn '^#include "' src/*/*.cpp src/*/*.h >"$scratch/includes"
while IFS=: read -r file line text; do
    target=${text#*\"}
    target=${target%\"*}
    folder=${file#src/}
    folder=${folder%%/*}
    if [[ $target == *Testing.h ]]; then
        [ "$file" = "src/${target%Testing.h}.cpp" ] && continue
        why="which only ${target%Testing.h}.cpp and the tests may include"
    else
        [ "${target%%/*}" = "$folder" ] && continue
        for reach in ${reaches[$folder]-}; do
            if [[ ($reach == */ && $target == "$reach"*) || $target == "$reach" ]]; then continue 2; fi
        done
        why="against the direction of includes in the README's Layout"
    fi
    echo "$file:$line: $text"
    echo "lint: $file includes $target, $why"
    failed=1
done <"$scratch/includes"
while IFS=: read -r file _ text; do
    target=${text#*\"}
    echo "$(node "${file#src/}") $(node "${target%\"*}")"
done <"$scratch/includes" | tsort >/dev/null 2>"$scratch/circle" || {
    cat "$scratch/circle"
    echo "lint: the files of src/ above include each other in a circle"
    failed=1
}

# --- clang-tidy -----------------------------------------------------------
# One file a process, as many at a time as there are cores; the headers
# of src/ are checked where they are included. Any finding fails.
[ -f "$build/compile_commands.json" ] || { echo "lint: no $build/compile_commands.json: configure the build first"; exit 1; }
export build scratch
# shellcheck disable=SC2016  # expanded by the shell that xargs starts
printf '%s\0' "${sources[@]}" | xargs -0 -P"$jobs" -I{} bash -c \
    'log=$scratch/tidy-${1//\//_}; clang-tidy -p "$build" --quiet --warnings-as-errors="*" "$1" >"$log" 2>&1 || touch "$log.failed"' \
    - {}
for file in "${sources[@]}"; do
    log=$scratch/tidy-${file//\//_}
    if [ -e "$log.failed" ]; then
        grep -v '^[0-9].* generated\.$' "$log"
        echo "lint: clang-tidy finds faults in $file or the headers it includes"
        failed=1
    fi
done

# --- shellcheck -------------------------------------------------------------
# A script names what it sources relative to itself; the end-to-end library
# names its own files relative to the library.
if ! shellcheck --external-sources --source-path=SCRIPTDIR --source-path=tests/e2e/lib "${scripts[@]}" \
        >"$scratch/shellcheck" 2>&1; then
    cat "$scratch/shellcheck"
    sed -n 's/^In \(.*\) line [0-9]*:$/\1/p' "$scratch/shellcheck" | sort -u |
        while read -r file; do echo "lint: shellcheck finds faults in $file"; done
    failed=1
fi

if [ "$failed" -ne 0 ]; then
    echo "lint: failed" >&2
    exit 1
fi
echo "lint: ${#cxx[@]} C++ files laid out, the includes of src/ pointing down, ${#sources[@]} sources clean under" \
    "clang-tidy, ${#scripts[@]} scripts clean under shellcheck"
