#!/bin/sh
# Builds the Debian package and runs lintian on it: any error or warning fails, and so does any
# other tag that lintian shows by default; exits 77 (skipped) where lintian or dpkg-shlibdeps is not installed.
#   lintian_test.sh CPACK_CONFIG WORK_FOLDER
config=$1 work=$2
for tool in lintian dpkg-shlibdeps cpack; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done
rm -rf "$work"
cpack -G DEB --config "$config" -B "$work" >"$work.log" 2>&1 || { cat "$work.log"; exit 1; }
deb=$(ls "$work"/*.deb) || exit 1
# Tags go to stdout; stderr only has notes about the run itself (as root in CI, for one).
out=$(lintian --tag-display-limit 0 "$deb" 2>"$work.err")
status=$?
cat "$work.err"
echo "$out"
[ "$status" -eq 0 ] && [ -z "$out" ]
