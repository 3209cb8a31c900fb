#!/usr/bin/env bash
# Installs the Debian packages the tests need beside the build's: the fuzz
# build's clang, and llvm for the symbolizer that names a leak's functions
# (clang does not bring it without its recommends), the display and picture
# tools of the window tests, the print service, qpdf to check every PDF written, the PostgreSQL server of
# the shared print log's tests, the tools that check the installed files and
# the package, and Debian's Python with the modules that write workbooks.
# Quick when everything is already there.
set -euo pipefail

exec "$(dirname "$0")/install-deps.sh" \
    clang libclang-rt-14-dev llvm \
    xvfb xdotool xauth imagemagick poppler-utils qpdf \
    cups printer-driver-cups-pdf zbar-tools dmtx-utils postgresql \
    desktop-file-utils appstream shared-mime-info libxml2-utils groff-base dpkg-dev file \
    python3 python3-openpyxl python3-odf
