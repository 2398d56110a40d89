#!/usr/bin/env bash
# Quillory beside the floor (a Qt program that only shows a tray icon), under Xvfb with openbox
# and a tray host: exec to tray icon embedded, resident memory after 5 s idle, click on the
# icon to panel mapped and focused, Ctrl+Alt+N to panel mapped and focused, and the wake-ups
# of every thread in minutes with the panel closed: the first and the second minute after a
# start at login with the panel never opened, and the minute right after the panel was used.
# Usage: bench/tray_bench.sh [runs] [build folder]   (build the release preset first; a build
# configured with -DQUILLORY_ANALYTICS_BASE_URL=http://127.0.0.1:9 measures one with an
# analytics endpoint that refuses every send)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
build=${2:-build/release}
probe=$build/bench/tray_probe
for tool in Xvfb openbox trayer; do
    command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb openbox trayer)"; exit 2; }
done
# An X server of its own, on a display it picks itself, managed by openbox.
if [[ -z ${TRAY_BENCH_ON_XVFB:-} ]]; then
    exec tests/x11/with-xvfb env TRAY_BENCH_ON_XVFB=1 "$PWD/bench/tray_bench.sh" "$runs" "$build"
fi

home=$(mktemp -d)
cleanup() { pkill -P $$ 2>/dev/null || true; rm -rf "$home"; }
trap cleanup EXIT
trayer --edge top --align right --widthtype pixel --width 200 --height 28 >/dev/null 2>&1 &
sleep 1

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

measure() { # name program...
    local name=$1; shift
    : > "$home/$name.txt"
    for _ in $(seq "$runs"); do
        rm -rf "$home/xdg"; mkdir -p "$home/xdg/config/Quillory"; chmod 700 "$home/xdg"
        # Not the first launch: the panel stays closed.
        printf '{"quillory.hasLaunchedBefore": {"bool": true}}' > "$home/xdg/config/Quillory/settings.json"
        line=$(HOME=$home/xdg XDG_CONFIG_HOME=$home/xdg/config XDG_DATA_HOME=$home/xdg/data \
               XDG_CACHE_HOME=$home/xdg/cache XDG_RUNTIME_DIR=$home/xdg "$probe" startup "$@")
        echo "$line" >> "$home/$name.txt"
        kill "$(echo "$line" | awk '{print $2}')"; sleep 0.5
    done
    printf '%-10s start median %6s ms   RSS median %6s kB   (%s runs)\n' "$name" \
        "$(awk '{print $4}' "$home/$name.txt" | median)" \
        "$(awk '{print $6}' "$home/$name.txt" | median)" "$runs"
}

measure floor "$build/bench/tray_floor"
measure quillory "$build/app/quillory"

# Panel opening and idling, on one running copy.
rm -rf "$home/xdg"; mkdir -p "$home/xdg/config/Quillory"; chmod 700 "$home/xdg"
printf '{"quillory.hasLaunchedBefore": {"bool": true}}' > "$home/xdg/config/Quillory/settings.json"
line=$(HOME=$home/xdg XDG_CONFIG_HOME=$home/xdg/config XDG_DATA_HOME=$home/xdg/data \
       XDG_CACHE_HOME=$home/xdg/cache XDG_RUNTIME_DIR=$home/xdg "$probe" startup "$build/app/quillory")
pid=$(echo "$line" | awk '{print $2}')
echo "never opened, first minute:"
"$probe" idle "$pid" 60
echo "never opened, second minute:"
"$probe" idle "$pid" 60
"$probe" open 20
"$probe" hotkey 50
echo "right after use:"
"$probe" idle "$pid" 60
kill "$pid"
