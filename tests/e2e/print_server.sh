#!/usr/bin/env bash
# A private CUPS server for the printing tests, with nothing of the machine's
# own print set-up: its own folders, socket and port.
#   print_server.sh start DIR   starts it; prints the CUPS_SERVER value to use
#   print_server.sh stop DIR    stops it; DIR keeps its printers for a restart
#   print_server.sh hang DIR    freezes it: it takes connections, answers nothing
#   print_server.sh resume DIR  lets a hung one go on
#   print_server.sh lose DIR    kills it at once, as a crash would
# Its printers print through the backend "lumivar-test:", which writes each
# job into DIR/output, and nowhere that another server shares.
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
    # The machine's own backends and filters, and one backend of the tests'.
    mkdir -p "$dir"/serverbin/backend "$dir"/output
    for part in /usr/lib/cups/*; do
        [ "$(basename "$part")" = backend ] || ln -sfn "$part" "$dir/serverbin/"
    done
    cat >"$dir/serverbin/backend/lumivar-test" <<BACKEND
#!/bin/sh
[ \$# -eq 0 ] && { echo 'file lumivar-test "Lumivar test" "Lumivar test output"'; exit 0; }
# Written whole, then renamed: a file in the folder is a finished job.
if [ -n "\$6" ]; then cat "\$6"; else cat; fi >"$dir/output/.job-\$1" || exit 1
mv "$dir/output/.job-\$1" "$dir/output/job-\$1.ps"
BACKEND
    # Owned by root and private, the backend runs as root: it may write here.
    chmod 0700 "$dir/serverbin/backend/lumivar-test"
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
ServerBin $dir/serverbin
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
stop | lose)
    # cupsd re-executes itself with -C when it goes into the background.
    pattern="cupsd -[cC] $dir/etc/cupsd.conf"
    if [ "$command" = lose ]; then pkill -KILL -f -- "$pattern" || true; fi
    pkill -CONT -f -- "$pattern" || true
    pkill -f -- "$pattern" || true
    for _ in $(seq 50); do
        pgrep -f -- "$pattern" >/dev/null || break
        sleep 0.1
    done
    rm -f "$dir/cups.sock"
    ;;
hang)
    pkill -STOP -f -- "cupsd -[cC] $dir/etc/cupsd.conf"
    ;;
resume)
    pkill -CONT -f -- "cupsd -[cC] $dir/etc/cupsd.conf"
    ;;
*)
    echo "usage: $0 start|stop|hang|resume|lose DIR" >&2
    exit 2
    ;;
esac
