#!/usr/bin/env bash
# Removes a print queue that start-print-queue.sh added, with its cups-pdf
# settings, so that the machine keeps no extra printer. The folder the
# queue wrote into is left to whoever made it. Needs root, like apt-get.
# Usage: scripts/stop-print-queue.sh QUEUE
set -euo pipefail

queue="${1:?queue name}"

if lpstat -p "$queue" >/dev/null 2>&1; then
    lpadmin -x "$queue"
fi
rm -f "/etc/cups/cups-pdf-$queue.conf"
if lpstat -p "$queue" >/dev/null 2>&1; then
    echo "The print queue $queue is still there" >&2
    exit 1
fi
echo "Removed the print queue $queue"
