#!/bin/sh
# Runs one validator on files of the installed tree; exits 77 (skipped) when it is not installed.
#   validate.sh desktop|xml STAGE FILE...
kind=$1; stage=$2; shift 2
case $kind in
desktop) tool=desktop-file-validate ;;
xml) tool=xmllint ;;
*) echo "unknown kind $kind" >&2; exit 2 ;;
esac
if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipped"
    exit 77
fi
status=0
for f in "$@"; do
    [ -f "$stage$f" ] || { echo "missing: $f" >&2; status=1; continue; }
    if [ "$kind" = desktop ]; then
        out=$("$tool" "$stage$f" 2>&1) || status=1
        # Warnings count as failures too: the entry has to be clean.
        [ -z "$out" ] || { echo "$out" >&2; status=1; }
    else
        "$tool" --noout "$stage$f" || status=1
    fi
done
exit $status
