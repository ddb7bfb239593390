#!/bin/sh
# The manual page renders without a warning.
#
#   manual_page.sh PAGE
set -u
command -v groff >/dev/null || {
    echo "groff (groff-base) is missing"
    exit 77
}
warnings=$(groff -man -ww -z "$1" 2>&1)
[ -z "$warnings" ] || { echo "FAIL: $1: $warnings"; exit 1; }
echo "the manual page renders without warnings"
