#!/bin/sh
# Checks the boot service's content and the resume hook's behaviour, with a stub in place of the
# program that records how it was called.
#   systemd_files_test.sh SERVICE HOOK BINARY_PATH BOOT_CONFIG
set -u
service=$1 hook=$2 binary=$3 config=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
has_line() { grep -qxF "$2" "$1" || fail "$1 lacks the line: $2"; }

has_line "$service" "Type=oneshot"
has_line "$service" "ConditionPathExists=$config"
has_line "$service" "ExecStartPre=/sbin/modprobe msr"
has_line "$service" "ExecStart=$binary --headless --assume-yes $config 32"
has_line "$service" "After=systemd-modules-load.service"
has_line "$service" "WantedBy=multi-user.target"
grep -q '@' "$service" && fail "$service has an unconfigured value"
[ -x "$hook" ] || fail "$hook is not executable"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/zandro" <<STUB
#!/bin/sh
echo "\$*" >> "$work/calls"
STUB
chmod +x "$work/zandro"
run_hook() { ZANDRO_BINARY="$work/zandro" ZANDRO_BOOT_CONFIG="$work/boot.msr" sh "$hook" "$@"; }

run_hook post suspend || fail "post without a file failed"
[ -e "$work/calls" ] && fail "post without a configuration file ran the program"
: > "$work/boot.msr"
run_hook pre suspend || fail "pre failed"
[ -e "$work/calls" ] && fail "pre ran the program"
run_hook post suspend || fail "post failed"
[ "$(cat "$work/calls" 2>/dev/null)" = "--headless --assume-yes $work/boot.msr 32" ] ||
    fail "post ran: $(cat "$work/calls" 2>/dev/null)"
run_hook post hibernate
[ "$(wc -l < "$work/calls")" -eq 2 ] || fail "every resume applies the file again"

[ "$failures" -eq 0 ] && echo "all checks passed"
exit "$failures"
