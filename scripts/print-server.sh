#!/usr/bin/env bash
# Starts a private CUPS server with a PDF queue as its default printer, for the printing tests.
#   scripts/print-server.sh start DIR   prints the CUPS_SERVER value on success
#   scripts/print-server.sh stop DIR
set -euo pipefail
action=$1
dir=$2

case "$action" in
start)
    mkdir -p "$dir"/{spool,cache,state,tmp,log,ppd}
    chmod 0755 "$dir"
    # Filters run as the unprivileged lp user and need a place of their own to write.
    chmod 1777 "$dir/tmp"
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
CONF
    cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
CONF
    /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
    export CUPS_SERVER="$dir/cups.sock"
    for _ in $(seq 1 100); do
        lpstat -r >/dev/null 2>&1 && break
        sleep 0.1
    done
    lpstat -r >/dev/null 2>&1 || { echo "print server did not start" >&2; exit 1; }
    lpadmin -p QuorvelPDF -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E
    lpadmin -d QuorvelPDF
    echo "$CUPS_SERVER"
    ;;
stop)
    if [[ -f "$dir/cupsd.pid" ]]; then
        kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
        rm -f "$dir/cupsd.pid"
    fi
    ;;
esac
