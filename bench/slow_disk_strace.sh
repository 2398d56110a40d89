#!/usr/bin/env bash
# The program on a disk whose every fsync takes 5 s (strace holds each one), on an X server of
# its own with a tray: the global shortcut's answer (Ctrl+Alt+N to panel mapped and focused)
# while the first launch's settings write is being synced and again while a notes save is,
# then which threads called fsync. Usage: bench/slow_disk_strace.sh [build folder]   (build the
# release preset first; needs strace, Xvfb, openbox, trayer, xdotool)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
for tool in strace trayer xdotool; do
    command -v "$tool" >/dev/null || { echo "needs $tool"; exit 2; }
done
exec tests/x11/with-xvfb bash -c '
    set -u
    build=$1
    home=$(mktemp -d)
    trap "rm -rf $home" EXIT
    export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
        XDG_STATE_HOME=$home/state XDG_CACHE_HOME=$home/cache XDG_RUNTIME_DIR=$home/runtime \
        QT_QPA_PLATFORM=xcb
    mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
    trayer --edge top --align right --widthtype pixel --width 200 --height 28 >/dev/null 2>&1 &
    tray=$!
    sleep 1
    strace -f -tt -T -e trace=fsync,fdatasync -e inject=fsync:delay_enter=5000000 \
        -o "$home/strace.log" "$build/app/quillory" 2>"$home/log" &
    tracer=$!
    app=
    for _ in $(seq 200); do app=$(pgrep -P $tracer -x quillory || true); [[ -n $app ]] && break; sleep 0.05; done
    # The first launch opens the panel half a second after start and writes its settings.
    sleep 1.5
    xdotool key Escape; sleep 0.2
    echo "during the first launch'"'"'s settings sync:"
    "$build/bench/tray_probe" hotkey 3
    xdotool key ctrl+alt+n; sleep 0.3
    xdotool type --delay 30 "typed while the disk is slow"
    sleep 0.7 # the autosave hands the note over; its sync takes 5 s
    xdotool key Escape; sleep 0.2
    echo "during a notes save'"'"'s sync:"
    "$build/bench/tray_probe" hotkey 3
    echo "threads:"
    for task in /proc/$app/task/*; do echo "  $(basename $task) $(cat $task/comm)"; done
    kill -TERM "$app"; wait $tracer || true
    kill $tray
    echo "fsync and fdatasync calls (thread, time, result, duration):"
    grep -v resumed "$home/strace.log" | grep -E "fsync|fdatasync" | sed "s/^/  /"
    echo "log:"; sed "s/^/  /" "$home/log"
' slow_disk_strace "$build"
