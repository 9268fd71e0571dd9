# What the benchmarks' scripts share (bench/run, bench/soundserver/run):
# sourced, not run.

# The K-DAR7 stand-in and COUNT other null sinks named "other_1" and so on.
load_devices() { # COUNT
    scripts/stand-in-device load >/dev/null
    local i
    for i in $(seq "$1"); do
        pactl load-module module-null-sink sink_name="other_$i" \
            "sink_properties='device.description=\"Other Device $i\"'" >/dev/null
    done
}

# Voluntary and involuntary context switches, and CPU nanoseconds, over all
# threads of a process: "switches nanoseconds".
process_counters() { # PID
    local pid=$1 switches=0 nanoseconds=0 task key value
    for task in /proc/"$pid"/task/*; do
        while read -r key value; do
            case $key in
                voluntary_ctxt_switches:|nonvoluntary_ctxt_switches:) switches=$((switches + value)) ;;
            esac
        done <"$task/status" 2>/dev/null || true
        if read -r value _ <"$task/schedstat" 2>/dev/null; then
            nanoseconds=$((nanoseconds + value))
        fi
    done
    echo "$switches $nanoseconds"
}

# "context switches per second" and "percent of a core" over SECONDS.
idle_rates() { # PID SECONDS
    local pid=$1 seconds=$2 before after
    before=$(process_counters "$pid")
    sleep "$seconds"
    after=$(process_counters "$pid")
    awk -v b="$before" -v a="$after" -v s="$seconds" 'BEGIN {
        split(b, x, " "); split(a, y, " ");
        printf "%.1f %.4f\n", (y[1] - x[1]) / s, (y[2] - x[2]) / (s * 1e7) }'
}

window_of() { # PID
    timeout 10 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -n 1
}

is_viewable() { # WINDOW
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# The median of the numbers on standard input, one a line.
median() {
    sort -g | awk '{ v[NR] = $1 } END { if (NR) print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

one_minute_load() {
    cut -d ' ' -f 1 /proc/loadavg
}

# Waits, at most KDAR7_BENCH_QUIET_WAIT seconds (default 600), until the
# 1-minute load average is under KDAR7_BENCH_QUIET_LOAD (default 1.5), so
# that other work on the machine blurs the figures less; prints the load
# at the end.
wait_until_quiet() {
    local limit=${KDAR7_BENCH_QUIET_LOAD:-1.5} deadline=$((SECONDS + ${KDAR7_BENCH_QUIET_WAIT:-600}))
    while [ "$SECONDS" -lt "$deadline" ] && ! awk -v l="$(one_minute_load)" -v m="$limit" 'BEGIN { exit !(l < m) }'; do
        sleep 5
    done
    one_minute_load
}

# Starts PROGRAM through the X probe, with a cache folder (and so a
# single-instance lock) of its own, and waits for its first map. Sets
# started_pid, started_map_ms (exec to map) and started_probe (the probe,
# which ends when the program does).
start_mapped() { # PROBE FOLDER PROGRAM
    local probe=$1 folder=$2 program=$3
    started_pid= started_map_ms=
    XDG_CACHE_HOME=$(mktemp -d "$folder/cache.XXXXXX") "$probe" map "$program" >"$folder/started" &
    started_probe=$!
    while [ -z "$started_pid" ] && kill -0 "$started_probe" 2>/dev/null; do
        sleep 0.05
        read -r started_pid started_map_ms <"$folder/started" || true
    done
    [ -n "$started_pid" ] || { echo "bench: $program showed no window" >&2; return 1; }
}

# Ends what start_mapped started.
stop_mapped() {
    kill -TERM "$started_pid"
    wait "$started_probe" || true
}
