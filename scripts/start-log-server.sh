#!/usr/bin/env bash
# Starts a PostgreSQL server of the project's own for the tests of the shared
# print log: Debian's postgresql, initdb and pg_ctl run as the postgres user
# in FOLDER, listening on a Unix socket in FOLDER only (no TCP). It holds the
# database "paginette" owned by the role "paginette", a role "visitor" that
# may connect but create nothing, and passwords for both, written to
# FOLDER/passwords (role:password, one a line). With --again, starts the
# server whose folder a stop with --keep left, its data as they were. Needs
# root, like apt-get.
# Usage: scripts/start-log-server.sh [--again] FOLDER
set -euo pipefail

again=no
if [ "${1:-}" = --again ]; then
    again=yes
    shift
fi
folder="${1:?server folder}"
bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
[ -x "$bin/initdb" ] || { echo "PostgreSQL's server is not installed (apt install postgresql)" >&2; exit 1; }

as_postgres() {
    runuser -u postgres -- "$@"
}

if [ "$again" = yes ]; then
    as_postgres "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 start >/dev/null
    echo "PostgreSQL is running again on the socket in $folder"
    exit 0
fi

if [ -f "$folder/data/postmaster.pid" ]; then
    "$(dirname "$0")/stop-log-server.sh" "$folder"
fi
rm -rf "$folder"
mkdir -p "$folder"
chown postgres: "$folder"
chmod 0755 "$folder"

superuser_password="$(head -c 18 /dev/urandom | base64 | tr -d '/+=')"
printf '%s\n' "$superuser_password" >"$folder/superuser"
chown postgres: "$folder/superuser"
chmod 0600 "$folder/superuser"
as_postgres "$bin/initdb" -D "$folder/data" -U postgres --pwfile="$folder/superuser" \
    --auth-local=scram-sha-256 --auth-host=reject -E UTF8 --locale=C.UTF-8 >"$folder/initdb.log"

# A socket in the folder, no TCP, and nothing written outside it.
cat >>"$folder/data/postgresql.conf" <<CONF
listen_addresses = ''
unix_socket_directories = '$folder'
unix_socket_permissions = 0777
fsync = off
logging_collector = off
CONF
as_postgres "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 start >/dev/null

paginette_password="$(head -c 18 /dev/urandom | base64 | tr -d '/+=')"
visitor_password="$(head -c 18 /dev/urandom | base64 | tr -d '/+=')"
as_postgres env PGPASSWORD="$superuser_password" "$bin/psql" -q -v ON_ERROR_STOP=1 -h "$folder" -U postgres -d postgres <<SQL
CREATE ROLE paginette LOGIN PASSWORD '$paginette_password';
CREATE ROLE visitor LOGIN PASSWORD '$visitor_password';
CREATE DATABASE paginette OWNER paginette;
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
SQL
printf 'paginette:%s\nvisitor:%s\n' "$paginette_password" "$visitor_password" >"$folder/passwords"
chmod 0644 "$folder/passwords"
echo "PostgreSQL is running on the socket in $folder"
