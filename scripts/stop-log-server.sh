#!/usr/bin/env bash
# Stops the PostgreSQL server that start-log-server.sh started in FOLDER and
# removes the folder. Needs root, like apt-get.
# Usage: scripts/stop-log-server.sh FOLDER
set -euo pipefail

folder="${1:?server folder}"
bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
if [ -f "$folder/data/postmaster.pid" ]; then
    runuser -u postgres -- "$bin/pg_ctl" -D "$folder/data" -m fast -w -t 60 stop >/dev/null
fi
rm -rf "$folder"
echo "Stopped the PostgreSQL server in $folder"
