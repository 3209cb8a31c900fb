#!/usr/bin/env bash
# Sets up the print queue the tests print to: starts the CUPS scheduler when
# it is not running (CI has no service manager) and adds a cups-pdf queue
# that writes every job as a PDF file into one folder. Needs root, like
# apt-get. Usage: scripts/start-print-queue.sh QUEUE FOLDER
set -euo pipefail

queue="${1:?queue name}"
folder="${2:?output folder}"

if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
    cupsd
    for _ in $(seq 50); do
        lpstat -r 2>/dev/null | grep -q 'is running' && break
        sleep 0.2
    done
fi
lpstat -r | grep -q 'is running' || { echo "The CUPS scheduler did not start" >&2; exit 1; }

mkdir -p "$folder"
chmod 1777 "$folder"
# cups-pdf reads cups-pdf-NAME.conf for a queue whose address is cups-pdf:/NAME.
# Label 1 puts the job number in the file name, so no job replaces another.
cat >"/etc/cups/cups-pdf-$queue.conf" <<CONF
Out $folder
AnonDirName $folder
Label 1
UserUMask 0000
CONF

# The driver warning of lpadmin says nothing about this queue. cups-pdf
# takes PostScript; made by pdftocairo, its fonts keep their text, which
# Ghostscript's conversion turns into unreadable Type 3 glyphs.
lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd \
    -o pdftops-renderer-default=pdftocairo 2> >(grep -v 'drivers are deprecated' >&2)
lpstat -p "$queue"
