#!/usr/bin/env bash
# The real program, in a real X server, driven from the keyboard: a card printed while the
# private print server is frozen, then the program asked to end, by 退出 or by a signal.
#   test_quit.sh QUORVEL exit|give-up|term|term-twice   (the second signal is SIGINT)
#   test_quit.sh QUORVEL login   a server that asks for a login, the program in a terminal
# Exit 77 (skipped) without the private print server, Xvfb or xdotool.
set -euo pipefail
program=$1 how=$2
server=${QUORVEL_PRINT_SERVER:-}
skip() { echo "SKIP: $*"; exit 77; }
[[ -n $server && -n ${CUPS_SERVER:-} ]] || skip "no private print server (scripts/test.sh starts one when run as root)"
command -v Xvfb >/dev/null || skip "no Xvfb"
command -v xdotool >/dev/null || skip "no xdotool"

work=$(mktemp -d /tmp/quorvel-quit.XXXXXX)
pids=()
cupsd=$(cat "$server/cupsd.pid")
cleanup() {
    kill -CONT "$cupsd" 2>/dev/null || true
    lpadmin -d Quorvel 2>/dev/null || true
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
# Waits up to ten seconds for a condition.
until_true() {
    for _ in $(seq 1 100); do "$@" && return 0; sleep 0.1; done
    return 1
}

# A display of its own: Xvfb picks a free number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
has_display() { [[ -s $work/display ]]; }
until_true has_display || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

lpadmin -d Quorvel
# Finished jobs only: one still being written is a .part file.
finished() { find "$server/out" -name '*.ps' | wc -l; }
jobs_before=$(finished)
if [[ $how == login ]]; then
    command -v script >/dev/null || skip "no script (util-linux)"
    lpadmin -p QuorvelLogin -v quorvel:/ -m drv:///sample.drv/generic.ppd \
        -o printer-op-policy=login -E 2>/dev/null
    lpadmin -d QuorvelLogin
    # A terminal of its own, everything written to it kept in a file.
    script -q -e -c "QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 exec $(printf %q "$program") 2>$work/stderr" \
        "$work/terminal" </dev/null >/dev/null 2>&1 &
    pids+=($!)
    program_started() { quorvel=$(pgrep -P "${pids[-1]}" | head -n 1) && [[ -n $quorvel ]]; }
    until_true program_started || fail "the program did not start in a terminal: $(cat "$work/stderr" "$work/terminal" 2>&1)"
else
    QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 "$program" 2>"$work/stderr" &
    quorvel=$!
fi
pids+=($quorvel)
main_window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quorvel$' | head -n 1)
[[ -n $main_window ]] || fail "the main window did not show"
xdotool windowfocus --sync "$main_window"
keys() { xdotool key --delay 150 "$@"; sleep 0.3; }
# The keyboard menu opens on its first item, 字体: one down is 输入, three are 打印.
keys shift+F10 Down Return
xdotool type --delay 50 Li
keys Return
[[ $how == login ]] || kill -STOP "$cupsd"
keys shift+F10 Down Down Down Return

# The server's question comes in a box on the window, never on the terminal; cancelled, it is
# told why the card was not printed. Asked again, a signal and a second one end the program.
if [[ $how == login ]]; then
    ended() { ! kill -0 "$quorvel" 2>/dev/null; }
    new_window() {
        local id
        for id in $(xdotool search --onlyvisible --name '^Quorvel$' 2>/dev/null); do
            [[ $id == "$main_window" ]] || { echo "$id"; return 0; }
        done
        return 1
    }
    until_true new_window >/dev/null || fail "no box asked for a login"
    keys Escape
    until_true new_window >/dev/null || fail "a cancelled login was not told"
    keys Return
    keys shift+F10 Down Down Down Return
    until_true new_window >/dev/null || fail "no box asked for a login the second time"
    kill -TERM "$quorvel"
    sleep 0.5
    kill -INT "$quorvel" 2>/dev/null || true
    until_true ended || fail "the program did not end on a second signal"
    ! grep -a -i "password" "$work/terminal" || fail "the terminal was asked for a password"
    [[ $(finished) -eq $jobs_before ]] || fail "a card went out without a login"
    echo "PASS: the login was asked in a box, never on the terminal, and the program ended"
    exit 0
fi

case $how in
exit | give-up) keys shift+F10 Down Down Down Down Down Return ;;
term | term-twice) kill -TERM "$quorvel" ;;
esac
# The main window goes, and a dialog counts the card still waiting.
known=("$main_window")
other_window() {
    local id
    for id in $(xdotool search --onlyvisible --name '^Quorvel$' 2>/dev/null); do
        [[ " ${known[*]} " == *" $id "* ]] || { echo "$id"; return 0; }
    done
    return 1
}
until_true other_window >/dev/null || fail "no dialog showed the card waiting ($(cat "$work/stderr"))"
kill -0 "$quorvel" || fail "the program ended with a card waiting"

ended() { ! kill -0 "$quorvel" 2>/dev/null; }
if [[ $how == give-up ]]; then
    known+=("$(other_window)")
    keys Escape # 放弃
    # A box says the card was not printed, and the program waits until it is read.
    until_true other_window >/dev/null || fail "giving up was not told"
    kill -0 "$quorvel" || fail "the program ended before the box was read"
    keys Return
    until_true ended || fail "the program did not end once the box was read"
    wait "$quorvel" || fail "the program ended with status $?"
    kill -CONT "$cupsd"
    lpstat -W all -o >/dev/null
    [[ $(finished) -eq $jobs_before ]] || fail "a given-up card was printed"
    echo "PASS: giving up was told, and the card was not printed"
    exit 0
fi
if [[ $how == term-twice ]]; then
    # Ctrl+C in the terminal, after the logout's TERM.
    kill -INT "$quorvel"
    until_true ended || fail "a second signal did not end the program"
    wait "$quorvel" || fail "the program ended with status $?"
    grep -q "1 张桌签没有打印" "$work/stderr" || fail "standard error did not count the card: $(cat "$work/stderr")"
    kill -CONT "$cupsd"
    # Asked once the server answers again, after what the cancelled connection had sent.
    lpstat -W all -o >/dev/null
    [[ $(finished) -eq $jobs_before ]] || fail "a given-up card was printed"
    echo "PASS: ended at once on a second signal, the card counted"
    exit 0
fi

# Once the server answers, the card goes out and the program ends by itself.
kill -CONT "$cupsd"
until_true ended || fail "the program did not end once the card went out"
wait "$quorvel" || fail "the program ended with status $?"
arrived() { [[ $(finished) -gt $jobs_before ]]; }
until_true arrived || fail "the card never arrived"
job=$(find "$server/out" -name '*.ps' | sort | tail -n 1)
# The page has ink: the card, not a blank sheet.
bbox=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=bbox "$job" 2>&1 | grep '^%%BoundingBox' || true)
[[ $bbox =~ ^%%BoundingBox:\ [0-9]+\ [0-9]+\ [0-9]+\ [0-9]+$ && $bbox != "%%BoundingBox: 0 0 0 0" ]] ||
    fail "the printed page is blank ($bbox)"
! grep -v "^QStandardPaths" "$work/stderr" || fail "unexpected output above"
echo "PASS: the card waited, went out, and the program ended ($how)"
