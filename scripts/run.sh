#!/usr/bin/env bash
# Builds Pyrelle and runs it on the simulated instrument and furnace. Extra
# arguments go to the program (try --help). Without a display, it runs a
# short headless demonstration in a fresh folder instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build" -j2 --target pyrelle
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$root/build/pyrelle" "$@"
fi
demo="$(mktemp -d /tmp/pyrelle-demo.XXXXXX)"
cp "$root/scripts/demo.script" "$demo/demo.script"
echo "No display: running a headless demonstration in $demo"
(cd "$demo" && "$root/build/pyrelle" --headless --script demo.script --trace trace.txt "$@")
echo "Screenshot: $demo/pyrelle.png"
echo "Run log:    $demo/Tdata1.txt"
