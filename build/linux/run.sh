#!/usr/bin/env bash
# Installs the dependencies, builds the game, installs it as `zarn` and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)

bash "$root/build/linux/deps.sh"
cd "$root"
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target zarn
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo cmake --install "$root/out/release" --prefix /usr/local >/dev/null
exec /usr/local/games/zarn "$@"
