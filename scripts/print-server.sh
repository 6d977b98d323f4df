#!/usr/bin/env bash
# A private CUPS server for the printing tests, kept entirely inside one folder.
#   scripts/print-server.sh start DIR   starts it, prints the CUPS_SERVER value on success
#   scripts/print-server.sh stop DIR    stops it and removes DIR
# Every job, on any queue, lands as PostScript in DIR/out/JOBID-QUEUE.ps, its options beside it
# in JOBID-QUEUE.ps.options. Queues whose device is quorvel:/cancel, quorvel:/unreachable or
# quorvel:/slow behave as such a printer would.
# Queues given `-o printer-op-policy=login` take jobs only from the server's own user, with a
# password: a local account made for the server, named in DIR/login (user, then password) and
# removed again by stop.
set -euo pipefail
action=$1
dir=$2

add_queue() {
    local name=$1
    # Quietly, since CUPS warns that PPD drivers are deprecated; they are what desktops still use.
    lpadmin -p "$name" -v quorvel:/ -m drv:///sample.drv/generic.ppd -o PageSize=A4 -E \
        2>"$dir/log/lpadmin.err" || { cat "$dir/log/lpadmin.err" >&2; exit 1; }
}

case "$action" in
start)
    mkdir -p "$dir"/{spool,cache,state,tmp,log,ppd,out,bin/backend}
    chmod 0755 "$dir"
    # Filters run as the unprivileged lp user and need a place of their own to write.
    chmod 1777 "$dir/tmp"
    # The system's filters and drivers, but a backend of our own: the server's output must
    # stay in DIR, whoever runs the tests.
    for part in /usr/lib/cups/*; do
        [[ $(basename "$part") == backend ]] || ln -s "$part" "$dir/bin/"
    done
    # Driverless printers are reached through the system's IPP backend.
    ln -s /usr/lib/cups/backend/ipp "$dir/bin/backend/ipp"
    cat >"$dir/bin/backend/quorvel" <<BACKEND
#!/bin/sh
# Keeps each job as a file of its own; a partial file never shows under its final name.
[ \$# -eq 0 ] && { echo 'direct quorvel "Unknown" "Quorvel test output"'; exit 0; }
# Printers that misbehave, by their device address: one that cancels every job it is given, one
# that cannot be reached, and a slow one.
case "\$DEVICE_URI" in
quorvel:/cancel) echo "ERROR: 打印机不支持这种纸张" >&2; exit 5 ;;
quorvel:/unreachable)
    echo "STATE: +connecting-to-device" >&2
    echo "INFO: 连接不上打印机" >&2
    while :; do sleep 1; done ;;
quorvel:/slow) sleep 8 ;;
esac
target="$dir/out/\$(printf %05d "\$1")-\${PRINTER}.ps"
printf '%s\n' "\$5" >"\$target.options"
if [ -n "\$6" ]; then cat "\$6"; else cat; fi >"\$target.part" && mv "\$target.part" "\$target"
BACKEND
    # Mode 0700 makes the server run it as root, so it can write into DIR/out.
    chmod 0700 "$dir/bin/backend/quorvel"
    # The account's name is the folder's own, so servers side by side do not share one.
    login_user=qv$(basename "$dir" | tr -dc 'a-zA-Z0-9' | tr 'A-Z' 'a-z' | tail -c 10)
    login_password=$(head -c 12 /dev/urandom | base64 | tr -dc 'a-zA-Z0-9')
    useradd --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$login_user"
    echo "$login_user:$login_password" | chpasswd
    printf '%s\n%s\n' "$login_user" "$login_password" >"$dir/login"
    chmod 0600 "$dir/login"
    cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
<Policy login>
  <Limit Create-Job Print-Job Print-URI Send-Document Validate-Job>
    AuthType Basic
    Require user $login_user
    Order deny,allow
  </Limit>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir
ServerBin $dir/bin
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
CONF
    # In a network of its own where it can be made, with only the loopback: the driverless
    # printers below listen on every address of it, and nothing outside sees them.
    isolated=()
    if unshare -n true 2>/dev/null && command -v ip >/dev/null; then
        isolated=(unshare -n sh -c 'ip link set lo up && exec "$@"' sh)
    fi
    "${isolated[@]}" /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" \
        </dev/null >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
    export CUPS_SERVER="$dir/cups.sock"
    # lpstat -r succeeds either way; only its words tell.
    running() { [[ $(lpstat -r 2>/dev/null) == "scheduler is running" ]]; }
    for _ in $(seq 1 300); do
        running && break
        sleep 0.1
    done
    running || { echo "print server did not start (see $dir/log)" >&2; exit 1; }
    add_queue Quorvel
    lpadmin -d Quorvel
    # Driverless IPP Everywhere printers (ippeveprinter), in the server's network: Letter with
    # 1/4 in margins and A4 with 12.7 mm, queues QuorvelEveLetter and QuorvelEveA4. Each page
    # they print lands in DIR/out as the others do. They register with no DNS-SD (-r off), but
    # still need a D-Bus system bus: a private one.
    if [[ ${#isolated[@]} -gt 0 ]] && command -v ippeveprinter >/dev/null &&
        command -v dbus-daemon >/dev/null; then
        inside=(nsenter -t "$(cat "$dir/cupsd.pid")" -n)
        "${inside[@]}" dbus-daemon --session --fork --nopidfile --print-address=3 \
            --print-pid=4 3>"$dir/dbus.address" 4>"$dir/dbus.pid"
        mkdir -p "$dir/eve"
        port=8001
        # Paper as the printer states it: size, then printable area, in points; A4 exactly, or
        # the printer would not know it by its name.
        for paper in "Letter 612 792 18 18 594 774" "A4 595.28 841.89 36 36 559.28 805.89"; do
            set -- $paper
            sed -e "s/^\*Default\(PageSize\|PageRegion\|ImageableArea\|PaperDimension\): .*/*Default\1: $1/" \
                -e "s|^\*PaperDimension $1/\([^:]*\): .*|*PaperDimension $1/\1: \"$2 $3\"|" \
                -e "s|^\*ImageableArea $1/\([^:]*\): .*|*ImageableArea $1/\1: \"$4 $5 $6 $7\"|" \
                "$dir/ppd/Quorvel.ppd" >"$dir/eve/$1.ppd"
            mkdir -p "$dir/eve/$1"
            DBUS_SYSTEM_BUS_ADDRESS=$(cat "$dir/dbus.address") "${inside[@]}" \
                ippeveprinter -P "$dir/eve/$1.ppd" -c /usr/sbin/ippeveps -d "$dir/eve/$1" \
                -D "file://$dir/eve/$1" -r off -p "$port" "QuorvelEve$1" \
                </dev/null >"$dir/log/ippeveprinter-$1.log" 2>&1 &
            echo $! >>"$dir/eve.pids"
            answers() { "${inside[@]}" ipptool -q "ipp://127.0.0.1:$port/ipp/print" get-printer-attributes.test 2>/dev/null; }
            for _ in $(seq 1 100); do answers && break; sleep 0.1; done
            "${inside[@]}" lpadmin -p "QuorvelEve$1" -v "ipp://127.0.0.1:$port/ipp/print" -m everywhere -E \
                2>>"$dir/log/lpadmin.err" || echo "driverless printer QuorvelEve$1 not set up" >&2
            port=$((port + 1))
        done
    fi
    echo "$CUPS_SERVER"
    ;;
stop)
    for file in "$dir/eve.pids" "$dir/dbus.pid"; do
        [[ -f $file ]] && kill $(cat "$file") 2>/dev/null || true
    done
    if [[ -f "$dir/cupsd.pid" ]]; then
        pid=$(cat "$dir/cupsd.pid")
        # A server stopped by a test would never see the TERM.
        kill -CONT "$pid" 2>/dev/null || true
        kill "$pid" 2>/dev/null || true
        for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    if [[ -f "$dir/login" ]]; then
        userdel "$(head -n 1 "$dir/login")" 2>/dev/null || true
    fi
    # Only a folder this script set up is removed.
    if [[ -f "$dir/cupsd.conf" && -d "$dir/out" ]]; then
        rm -rf "$dir"
    fi
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
