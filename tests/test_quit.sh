#!/usr/bin/env bash
# The real program, in a real X server, driven from the keyboard: a card printed while the
# private print server is frozen, then the program asked to end, by 退出 or by a signal.
#   test_quit.sh QUORVEL exit|give-up|refused|term|term-twice   (the second signal is SIGINT)
# refused: the queue turns the card away once the server answers, after a signal took the
# window away. Exit 77 (skipped) without the private print server, Xvfb or xdotool.
set -euo pipefail
program=$1 how=$2 server=${QUORVEL_PRINT_SERVER:-}
skip() { echo "SKIP: $*"; exit 77; }
[[ -n $server && -n ${CUPS_SERVER:-} ]] || skip "no private print server (scripts/test.sh starts one when run as root)"
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || skip "no Xvfb or xdotool"

work=$(mktemp -d /tmp/quorvel-quit.XXXXXX)
cupsd=$(cat "$server/cupsd.pid")
trap 'set +e; kill -CONT $cupsd; cupsaccept Quorvel; kill -KILL ${xvfb:-} ${quorvel:-}; rm -rf "$work"' EXIT
fail() { echo "FAIL: $* ($(cat "$work/stderr"))"; exit 1; }
# Waits up to ten seconds for a condition.
until_true() {
    for _ in $(seq 1 100); do "$@" && return 0; sleep 0.1; done
    return 1
}

# A display of its own: Xvfb picks a free number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
until_true test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

lpadmin -d Quorvel
[[ $how != refused ]] || cupsreject Quorvel
# Finished jobs only: one still being written is a .part file.
finished() { find "$server/out" -name '*.ps' | wc -l; }
jobs_before=$(finished)
QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 "$program" 2>"$work/stderr" &
quorvel=$!
known=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quorvel$' | head -n 1)
[[ -n $known ]] || fail "the main window did not show"
xdotool windowfocus --sync "$known"
keys() { xdotool key --delay 150 "$@"; sleep 0.3; }
# The keyboard menu opens on its first item, 字体: one down is 输入, three are 打印, five 退出.
keys shift+F10 Down Return
xdotool type --delay 50 Li
keys Return
kill -STOP "$cupsd"
keys shift+F10 Down Down Down Return
case $how in
term | term-twice | refused) kill -TERM "$quorvel" ;;
*) keys shift+F10 Down Down Down Down Down Return ;;
esac

# The main window goes, and a dialog counts the card still waiting.
other_window() { xdotool search --onlyvisible --name '^Quorvel$' 2>/dev/null | grep -vxF "$known"; }
until_true other_window >/dev/null || fail "no dialog showed the card waiting"
known+=$'\n'$(other_window)
alive() { kill -0 "$quorvel" 2>/dev/null; }
alive || fail "the program ended with a card waiting"
case $how in
give-up) keys Escape ;;              # 放弃
term-twice) kill -INT "$quorvel" ;;  # Ctrl+C in the terminal, after the logout's TERM
*) kill -CONT "$cupsd" ;;
esac
# A box says the card was not printed, and the program waits until it is read.
if [[ $how == give-up || $how == refused ]]; then
    until_true other_window >/dev/null || fail "the card not printed was not told"
    alive || fail "the program ended before the box was read"
    keys Return
fi
# The program ends by itself, with status 0, and the card printed or not.
ended() { ! alive; }
until_true ended || fail "the program did not end"
wait "$quorvel" || fail "the program ended with status $?"
kill -CONT "$cupsd"
# Asked once the server answers again, after what a cancelled connection had sent.
lpstat -W all -o >/dev/null
want=0
[[ $how != exit && $how != term ]] || want=1
printed() { [[ $(finished) -eq $((jobs_before + want)) ]]; }
until_true printed || fail "$(($(finished) - jobs_before)) cards printed, not $want"
if [[ $how == term-twice ]]; then
    grep -q "1 张桌签没有打印" "$work/stderr" || fail "standard error did not count the card"
elif [[ $want == 1 ]]; then
    # The page has ink: the card, not a blank sheet.
    job=$(find "$server/out" -name '*.ps' | sort | tail -n 1)
    bbox=$(gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=bbox "$job" 2>&1 | grep '^%%BoundingBox' || true)
    [[ $bbox =~ ^%%BoundingBox:\ [0-9]+\ [0-9]+\ [0-9]+\ [0-9]+$ && $bbox != "%%BoundingBox: 0 0 0 0" ]] ||
        fail "the printed page is blank ($bbox)"
    ! grep -v "^QStandardPaths" "$work/stderr" || fail "unexpected output above"
fi
echo "PASS: $how"
