#!/usr/bin/env bash
# A private CUPS server for the printing tests, with nothing of the machine's
# own print set-up: its own folders, socket and port.
#   print_server.sh start DIR   starts it; prints the CUPS_SERVER value to use
#   print_server.sh stop DIR    stops it; DIR keeps its printers for a restart
set -euo pipefail

command=${1:?start|stop}
dir=${2:?folder}

case "$command" in
start)
    mkdir -p "$dir"/{etc/ppd,etc/ssl,spool/tmp,cache,state,log}
    # Filters and backends run as lp: they must reach spool, cache and PPDs.
    chmod 0755 "$dir" "$dir"/etc "$dir"/etc/ppd "$dir"/cache "$dir"/state
    chmod 0710 "$dir"/spool
    chmod 1777 "$dir"/spool/tmp
    chgrp lp "$dir"/spool || true
    port=$((20000 + RANDOM % 20000))
    cat >"$dir/etc/cupsd.conf" <<CONF
LogLevel warn
Listen $dir/cups.sock
Listen 127.0.0.1:$port
Browsing Off
BrowseLocalProtocols none
DefaultAuthType None
WebInterface No
MaxJobs 20
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
    cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
Sandboxing Relaxed
CONF
    /usr/sbin/cupsd -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf"
    for _ in $(seq 100); do
        [ -S "$dir/cups.sock" ] && break
        sleep 0.1
    done
    [ -S "$dir/cups.sock" ] || { cat "$dir/log/error_log" >&2 2>/dev/null; exit 1; }
    echo "$dir/cups.sock"
    ;;
stop)
    # cupsd re-executes itself with -C when it goes into the background.
    pattern="cupsd -[cC] $dir/etc/cupsd.conf"
    pkill -f -- "$pattern" || true
    for _ in $(seq 50); do
        pgrep -f -- "$pattern" >/dev/null || break
        sleep 0.1
    done
    rm -f "$dir/cups.sock"
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
