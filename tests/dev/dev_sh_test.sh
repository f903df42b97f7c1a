#!/usr/bin/env bash
# Checks dev.sh's msr probe against device files that hold some registers and not others, and
# that running the program does not install what only the tests need.
#   dev_sh_test.sh DEV_SH
set -u
source "$1"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/0"
export ZANDRO_MSR_DEVICE_ROOT=$work
# A file of N bytes stands for a processor whose registers below N/8 read.
for case in "0 no" "16 no" "23 no" "24 yes" "4096 yes"; do
    set -- $case
    rm -f "$work/0/msr"
    truncate -s "$1" "$work/0/msr"
    if msr_usable; then got=yes; else got=no; fi
    [ "$got" = "$2" ] || fail "a device of $1 bytes: usable=$got, expected $2"
done
rm -f "$work/0/msr"
msr_usable && fail "a missing device counts as usable"

for p in libgtest-dev libbenchmark-dev clang lintian ansible; do
    [[ " ${RUN_PACKAGES[*]} " == *" $p "* ]] && fail "running installs $p"
    [[ " ${TEST_PACKAGES[*]} " == *" $p "* ]] || fail "testing does not install $p"
done
# The font the windows are laid out for: without it their texts are cut.
[[ " ${RUN_PACKAGES[*]} " == *" fonts-dejavu-extra "* ]] || fail "running does not install fonts-dejavu-extra"
[ "$failures" -eq 0 ] && echo "all checks passed"
exit "$failures"
