#!/usr/bin/env bash
# The real program, in a real X server, driven from the keyboard: a card printed while the
# private print server is frozen, then the program asked to end, by 退出 or by a signal.
#   test_quit.sh QUORVEL exit|give-up|refused|term|term-twice   (the second signal is SIGINT)
# refused: the queue turns the card away once the server answers, after a signal took the
# window away.
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
    cupsaccept Quorvel 2>/dev/null || true
    lpadmin -d Quorvel 2>/dev/null || true
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $* ($(cat "$work/stderr"))"; exit 1; }
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
[[ $how != refused ]] || cupsreject Quorvel
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
term | term-twice | refused) kill -TERM "$quorvel" ;;
*) keys shift+F10 Down Down Down Down Down Return ;;
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
until_true other_window >/dev/null || fail "no dialog showed the card waiting"
known+=("$(other_window)")
alive() { kill -0 "$quorvel" 2>/dev/null; }
ended() { ! alive; }
alive || fail "the program ended with a card waiting"
# The program ends by itself, with status 0, and the card printed or not.
ends_with() {
    until_true ended || fail "the program did not end ($1)"
    wait "$quorvel" || fail "the program ended with status $?"
    kill -CONT "$cupsd"
    # Asked once the server answers again, after what a cancelled connection had sent.
    lpstat -W all -o >/dev/null
    printed() { [[ $(finished) -eq $((jobs_before + $1)) ]]; }
    until_true printed "$2" || fail "$(($(finished) - jobs_before)) cards printed, not $2"
}
# A box says the card was not printed, and the program waits until it is read.
told_in_a_box() {
    until_true other_window >/dev/null || fail "$1 was not told"
    alive || fail "the program ended before the box was read"
    keys Return
}

case $how in
give-up)
    keys Escape # 放弃
    told_in_a_box "giving up"
    ends_with "once the box was read" 0 ;;
refused)
    kill -CONT "$cupsd"
    told_in_a_box "the refused card"
    ends_with "once the box was read" 0 ;;
term-twice)
    kill -INT "$quorvel" # Ctrl+C in the terminal, after the logout's TERM
    ends_with "on a second signal" 0
    grep -q "1 张桌签没有打印" "$work/stderr" || fail "standard error did not count the card" ;;
*)
    kill -CONT "$cupsd"
    ends_with "once the card went out" 1
    job=$(find "$server/out" -name '*.ps' | sort | tail -n 1)
    # The page has ink: the card, not a blank sheet.
    bbox=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=bbox "$job" 2>&1 | grep '^%%BoundingBox' || true)
    [[ $bbox =~ ^%%BoundingBox:\ [0-9]+\ [0-9]+\ [0-9]+\ [0-9]+$ && $bbox != "%%BoundingBox: 0 0 0 0" ]] ||
        fail "the printed page is blank ($bbox)"
    ! grep -v "^QStandardPaths" "$work/stderr" || fail "unexpected output above" ;;
esac
echo "PASS: $how"
