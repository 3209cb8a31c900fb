#!/usr/bin/env bash
# Stops the PostgreSQL server that start-log-server.sh started in FOLDER and
# removes the folder. With --keep, stops it at once, as a server that goes
# away does, and keeps its folder for start-log-server.sh --again. Needs
# root, like apt-get.
# Usage: scripts/stop-log-server.sh [--keep] FOLDER
set -euo pipefail

keep=no
if [ "${1:-}" = --keep ]; then
    keep=yes
    shift
fi
folder="${1:?server folder}"
bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
mode=fast
[ "$keep" = yes ] && mode=immediate
# A pid file a machine's restart left behind names no server to stop.
if [ -f "$folder/data/postmaster.pid" ] &&
    runuser -u postgres -- "$bin/pg_ctl" -D "$folder/data" status >/dev/null; then
    runuser -u postgres -- "$bin/pg_ctl" -D "$folder/data" -m "$mode" -w -t 60 stop >/dev/null
fi
if [ "$keep" = yes ]; then
    echo "Stopped the PostgreSQL server in $folder, its data kept"
    exit 0
fi
rm -rf "$folder"
echo "Stopped the PostgreSQL server in $folder"
