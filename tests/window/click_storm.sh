#!/usr/bin/env bash
# Click storm: proves that the real program, on a private X server, takes some
# two thousand random clicks on "clear" and "time" mixed with list choices
# made as a person makes them, all in about a minute, without dying, losing
# a click or growing: its resident memory, sampled every second, ends within
# a couple of MB of where it stood after the first few seconds. A final
# "clear" then leaves the panel's inner area one plain colour, the empty
# panel's, and "end" closes it with status 0.
#
# Usage: tests/window/click_storm.sh <path-to-miravel> [clicks [seconds [seed]]]
#   clicks   button clicks to send, at least this many (default 2000)
#   seconds  about how long the storm lasts (default 55)
#   seed     for the random choices (default: the process id), printed
set -u

BIN=${1:?usage: click_storm.sh <path-to-miravel> [clicks [seconds [seed]]]}
CLICKS=${2:-2000}
SECONDS_WANTED=${3:-55}
SEED=${4:-$$}
[ -x "$BIN" ] || { echo "click_storm: not an executable: $BIN" >&2; exit 2; }

. "$(dirname "$0")/xsession.sh"
require_tools Xvfb xdotool import convert || exit 2
SAMPLER_PID=

alive() { kill -0 "$APP_PID" 2>/dev/null; }

# Leeway for the memory after the storm against the memory a few seconds in.
RSS_LEEWAY_KB=2048
SETTLE_S=5

start_xvfb || fail "no X server could be started"
start_miravel "$BIN" --trace "$WORK/trace.jsonl" || fail "no window named Form1 appeared"
say "window $WINDOW on $DISPLAY, seed $SEED"
RANDOM=$SEED

INNER=$(inner_crop)
inner_colours() { convert "$1" -crop "$INNER" +repage -format %k info:; }
inner_colour() { convert "$1" -crop "$INNER" +repage -scale 1x1! -format '%[hex:u.p{0,0}]' info:; }

# The empty panel of the start: one colour, remembered.
screenshot "$WORK/start.png" || fail "no screenshot"
[ "$(inner_colours "$WORK/start.png")" = 1 ] || fail "the panel is not empty at the start"
EMPTY=$(inner_colour "$WORK/start.png")

# Resident memory once a second, with the seconds since the storm began.
STORM_START=$(date +%s.%N)
(
    while alive; do
        rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$APP_PID/status" 2>/dev/null) || break
        [ -n "$rss" ] && echo "$(awk -v s="$STORM_START" -v n="$(date +%s.%N)" 'BEGIN { printf "%.1f", n - s }') $rss"
        sleep 1
    done
) >"$WORK/rss" &
SAMPLER_PID=$!

# One xdotool run per batch: a burst of button clicks, then perhaps a choice
# in the list, opened by a click and taken with the keys as a person would.
# Places in the window (the list: its closed box), scaled as the window is.
read -r -a CLEAR <<<"$(centre_of "$CAPTION_clear")"
read -r -a TIME <<<"$(centre_of "$CAPTION_time")"
read -r -a LIST <<<"$(centre_of SelectBg)"
sent_clear=0 sent_time=0 sent_choices=0
elapsed() { awk -v s="$STORM_START" -v n="$(date +%s.%N)" 'BEGIN { printf "%.2f", n - s }'; }
while ((sent_clear + sent_time < CLICKS)); do
    args=()
    batch=$((10 + RANDOM % 31))
    for ((i = 0; i < batch && sent_clear + sent_time < CLICKS; i++)); do
        if ((RANDOM % 2)); then
            args+=(mousemove --window "$WINDOW" "${CLEAR[@]}" click --delay 0 1)
            ((sent_clear++))
        else
            args+=(mousemove --window "$WINDOW" "${TIME[@]}" click --delay 0 1)
            ((sent_time++))
        fi
    done
    if ((RANDOM % 3)); then
        entry=$((RANDOM % 3))
        args+=(mousemove --window "$WINDOW" "${LIST[@]}" click --delay 0 1 sleep 0.3 key Home)
        for ((i = 0; i < entry; i++)); do args+=(key Down); done
        args+=(key Return sleep 0.05)
        ((sent_choices++))
    fi
    xdotool "${args[@]}" || fail "xdotool failed"
    alive || fail "the program died during the storm after $((sent_clear + sent_time)) clicks"
    # Spread the clicks over the time wanted.
    pause=$(awk -v sent="$((sent_clear + sent_time))" -v all="$CLICKS" -v t="$SECONDS_WANTED" -v e="$(elapsed)" \
        'BEGIN { p = sent / all * t - e; printf "%.2f", (p > 0 ? p : 0) }')
    sleep "$pause"
done
STORM_S=$(elapsed)
say "sent $((sent_clear + sent_time)) button clicks ($sent_clear clear, $sent_time time) and $sent_choices list choices in $STORM_S s"

# Let the queue drain, then the last word: "clear".
sleep 1
alive || fail "the program died after the storm"
press clear
poll 30 eval 'screenshot "$WORK/end.png" && [ "$(inner_colours "$WORK/end.png")" = 1 ]' || {
    cp "$WORK/end.png" /tmp/miravel-click-storm-fail.$$.png 2>/dev/null
    fail "after the final \"clear\" the panel holds $(inner_colours "$WORK/end.png") colours; /tmp/miravel-click-storm-fail.$$.png"
}
FINAL=$(inner_colour "$WORK/end.png")
[ "$FINAL" = "$EMPTY" ] || fail "after the final \"clear\" the panel is #$FINAL, not the empty panel's #$EMPTY"
say "final \"clear\": the panel's inner area is all #$FINAL, as at the start"

# Every click and choice reached the program as its event.
trace_lines "$WORK/trace.jsonl" >"$WORK/trace.txt"
count() { awk -v kind="$1" -v name="${2:-}" '$2 == kind && (name == "" || $3 == name) { n++ } END { print n + 0 }' "$WORK/trace.txt"; }
got_clear=$(count handler Command2_Click) got_time=$(count handler JIKOKU_Click) got_choices=$(count handler SelectBg_Click)
say "handled $got_clear clear (the final one included), $got_time time, $got_choices choices; $(count painted) panel paints"
[ "$got_clear" = $((sent_clear + 1)) ] && [ "$got_time" = "$sent_time" ] || fail "clicks were lost or doubled"
[ "$got_choices" = "$sent_choices" ] || fail "list choices were lost or doubled"

end_miravel || fail "\"end\": $STATUS"
wait "$SAMPLER_PID" 2>/dev/null
SAMPLER_PID=
say "\"end\": exit status 0"

# Memory: first sample, the one a few seconds in, the last, the highest.
awk -v settle="$SETTLE_S" -v leeway="$RSS_LEEWAY_KB" '
    NR == 1 { first = $2 }
    !base && $1 >= settle { base = $2; base_t = $1 }
    { last = $2; last_t = $1; if ($2 > max) max = $2; n++ }
    END {
        if (!base) { print "click_storm: FAIL: too few memory samples (" n ")"; exit 1 }
        printf "click_storm: VmRSS first %d kB, at %.0f s %d kB, last (%.0f s) %d kB, max %d kB; %d samples\n",
            first, base_t, base, last_t, last, max, n
        if (last - base > leeway) { printf "click_storm: FAIL: grew by %d kB\n", last - base; exit 1 }
    }' "$WORK/rss" || exit 1
finish
