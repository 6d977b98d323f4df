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
# Every login is asked for, also from root over the socket.
PeerCred Off
CONF
    /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
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
    echo "$CUPS_SERVER"
    ;;
stop)
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
