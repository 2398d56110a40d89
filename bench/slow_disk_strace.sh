#!/usr/bin/env bash
# The program on a disk whose every fsync takes a while (strace holds each one, 5 s unless
# given), on an X server of its own with a tray. First the global shortcut's answer (Ctrl+Alt+N
# to panel mapped and focused) while the first launch's settings write is being synced and again
# while a notes save is, then which threads called fsync. Then quits by SIGTERM, as the end of a
# session sends it, right after typing into the first launch's panel, while the disk still syncs
# what the start wrote, once left to end and once killed 4 s later as a session manager may do:
# how long until the program was gone, where the typed note is, and the syncs in order. Usage:
# bench/slow_disk_strace.sh [build folder] [fsync seconds]   (build the release preset first;
# needs strace, Xvfb, openbox, trayer, xdotool)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
delay=${2:-5}
for tool in strace trayer xdotool; do
    command -v "$tool" >/dev/null || { echo "needs $tool"; exit 2; }
done
if [[ -z ${SLOW_DISK_ON_XVFB:-} ]]; then
    exec tests/x11/with-xvfb env SLOW_DISK_ON_XVFB=1 "$0" "$build" "$delay"
fi

home=$(mktemp -d)
tray=
cleanup() {
    [[ -n $tray ]] && kill "$tray" 2>/dev/null
    rm -rf "$home"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb
trayer --edge top --align right --widthtype pixel --width 200 --height 28 >/dev/null 2>&1 &
tray=$!
sleep 1

# Starts the program on a first launch in a home of its own, under strace; sets app and tracer.
start() { # name
    local name=$1
    export HOME=$home/$name XDG_DATA_HOME=$home/$name/data XDG_CONFIG_HOME=$home/$name/config \
        XDG_STATE_HOME=$home/$name/state XDG_CACHE_HOME=$home/$name/cache \
        XDG_RUNTIME_DIR=$home/$name/runtime
    mkdir -p "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    strace -f -tt -T -y -e trace=fsync,fdatasync,linkat,rename,renameat,renameat2,exit_group \
        -e inject=fsync:delay_enter=$((delay * 1000000)) -o "$home/$name.strace" \
        "$build/app/quillory" 2>"$home/$name.log" &
    tracer=$!
    app=
    for _ in $(seq 200); do
        app=$(pgrep -P "$tracer" -x quillory || true)
        [[ -n $app ]] && break
        sleep 0.05
    done
}

# Waits for the program to end; strace, which can hang once it has nothing left to trace, then
# gets two seconds to write out its log.
finish() {
    while kill -0 "$app" 2>/dev/null; do sleep 0.01; done
    for _ in $(seq 100); do
        kill -0 "$tracer" 2>/dev/null || break
        sleep 0.02
    done
    { kill -KILL "$tracer" && wait "$tracer"; } 2>/dev/null || true
}

start shortcut
# The first launch opens the panel half a second after start and writes its settings.
sleep 1.5
xdotool key Escape
sleep 0.2
echo "during the first launch's settings sync:"
"$build/bench/tray_probe" hotkey 3
xdotool key ctrl+alt+n
sleep 0.3
xdotool type --delay 30 "typed while the disk is slow"
sleep 0.7 # the autosave hands the note over; its sync takes a while
xdotool key Escape
sleep 0.2
echo "during a notes save's sync:"
"$build/bench/tray_probe" hotkey 3
echo "threads:"
for task in /proc/"$app"/task/*; do echo "  $(basename "$task") $(cat "$task"/comm)"; done
kill -TERM "$app"
finish
echo "fsync and fdatasync calls (thread, time, result, duration):"
grep -v resumed "$home/shortcut.strace" | grep -E "fsync|fdatasync" | sed "s/^/  /"
echo "log:"
sed "s/^/  /" "$home/shortcut.log"

typed="typed just before quitting"
# A quit by SIGTERM right after typing into the first launch's panel; with a number, followed by
# SIGKILL that many seconds later, as from a session manager that waits no longer.
quit() { # name [seconds to SIGKILL]
    local name=$1 killAfter=${2:-} began ended
    start "$name"
    # The first launch's panel is open, and the disk still syncs what the start wrote.
    sleep 2
    xdotool type --delay 30 "$typed"
    began=$(date +%s.%N)
    kill -TERM "$app"
    if [[ -n $killAfter ]]; then
        sleep "$killAfter"
        kill -KILL "$app" 2>/dev/null || true
    fi
    while kill -0 "$app" 2>/dev/null; do sleep 0.01; done
    ended=$(date +%s.%N)
    finish
    echo "$began $ended" | awk '{ printf "  the program was gone %.1f s after SIGTERM\n", $2 - $1 }'
    # Where the typed note is: the document, a recovery file, or both.
    local file
    for file in "$home/$name"/{data,state}/Quillory/notes.json*; do
        if grep -qs "$typed" "$file"; then echo "  the typed note is in ${file#"$home/$name"/}"; fi
    done
    echo "  seconds from SIGTERM: the syncs, the names they gave, the end (main: the main thread)"
    grep -E "fsync\(|link|rename|SIGTERM|exit_group|killed by" "$home/$name.strace" |
        grep -vE "resumed|/runtime/" |
        awk -v main="$app" -v home="$home/$name/" '
            function seconds(time, parts) {
                split(time, parts, ":")
                return parts[1] * 3600 + parts[2] * 60 + parts[3]
            }
            {
                lines[NR] = $0
                if ($0 ~ /SIGTERM/) asked = seconds($2)
            }
            END {
                for (i = 1; i <= NR; i++) {
                    $0 = lines[i]
                    who = $1 == main ? "main  " : "thread " $1
                    if ($0 ~ /SIGTERM/) event = "asked to quit"
                    else if ($0 ~ /exit_group/) {
                        # That of a process the program started is left out.
                        if ($1 != main) continue
                        event = "exit"
                    } else if ($0 ~ /killed by/) event = "killed"
                    else if ($3 ~ /^fsync/) {
                        match($0, /<[^>]*>/)
                        event = "sync   " substr($0, RSTART + 1, RLENGTH - 2)
                    } else {
                        n = split($0, quoted, "\"")
                        event = "named  " quoted[n - 1]
                    }
                    sub(home, "", event)
                    printf "    %+7.2f  %s  %s\n", seconds($2) - asked, who, event
                }
            }'
    echo "  log:"
    sed "s/^/    /" "$home/$name.log"
}

echo "quit, with every fsync taking $delay s:"
quit quit
echo "quit, killed by SIGKILL 4 s after SIGTERM, with every fsync taking $delay s:"
quit killed 4
