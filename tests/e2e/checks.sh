# Shared by the install and package checks: a scratch folder removed on
# exit, the failure count, and the closing line.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# report SUMMARY: says SUMMARY when nothing failed; exits with the count.
report() {
    [ "$failures" -eq 0 ] && echo "$1"
    exit "$failures"
}
