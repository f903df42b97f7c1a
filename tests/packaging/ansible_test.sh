#!/bin/sh
# Runs the fleet playbook for real against this machine, with the program on a simulated Athlon 64
# and every path in a temporary folder: the first run applies the file, the second finds nothing
# to do, and a run after the registers were changed by hand applies it again.
#   ansible_test.sh BINARY ANSIBLE_FOLDER
# Ends with 77 (skipped) where ansible-playbook is not installed.
set -u
binary=$1 playbooks=$2
command -v ansible-playbook >/dev/null || { echo "ansible-playbook is not installed"; exit 77; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A private copy, so that its config.ini is the test's own; the journal stays beside the state.
cp "$binary" "$work/zandro"
printf '[MainWindow]\nPositionLeft=0\nPositionTop=0\n' > "$work/config.ini"
unset ZANDRO_JOURNAL DISPLAY WAYLAND_DISPLAY
sim() { "$work/zandro" --headless --assume-yes --simulate athlon64 "$@" >/dev/null 2>&1; }
nx() { sim --sim-state "$work/machine.state" --do tab:A64_Features --do "click:A64_NoExecutePage$1"; }

# The fleet's file: No-Execute Page off, which the profile has on.
sim --do tab:A64_Features --do click:A64_NoExecutePageDIS --do click:sbtnConfiguration \
    --do click:BitBtn1 --save-as "$work/fleet.msr" || fail "the fleet's file was not saved"

# No package and no systemd here: the file, the check and the applying are what runs.
cat > "$work/vars.yml" <<VARS
ansible_become: false
zandro_msr_file: $work/fleet.msr
zandro_boot_config: $work/root/etc/zandro/boot.msr
zandro_command: [$work/zandro, --simulate, athlon64, --sim-state, $work/machine.state]
zandro_install_package: false
zandro_enable_boot_unit: false
VARS
printf '[zandro_fleet]\nlocalhost ansible_connection=local\n' > "$work/hosts"

# Prints the number of changed tasks of one run, or "failed".
play() {
    ANSIBLE_LOCAL_TEMP=$work/tmp ANSIBLE_REMOTE_TEMP=$work/tmp ANSIBLE_NOCOLOR=1 \
    ANSIBLE_PYTHON_INTERPRETER=auto_silent ANSIBLE_RETRY_FILES_ENABLED=0 \
        ansible-playbook -i "$work/hosts" -e "@$work/vars.yml" "$playbooks/fleet.yml" \
        > "$work/play.log" 2>&1
    recap=$(grep -E '^localhost +:' "$work/play.log")
    case "$recap" in
    *" failed=0 "*) echo "$recap" | sed -E 's/.* changed=([0-9]+) .*/\1/' ;;
    *) cat "$work/play.log" >&2; echo failed ;;
    esac
}
expect() { # what, expected: "some" or "none"
    got=$(play)
    case "$2:$got" in
    some:[1-9]*|none:0) ;;
    *) fail "$1: changed=$got, expected $2" ;;
    esac
}

expect "the first run" some
cmp -s "$work/fleet.msr" "$work/root/etc/zandro/boot.msr" || fail "boot.msr is not the fleet's file"
grep -q 'differs' "$work/play.log" || fail "the first run did not show what differed"
expect "the second run" none
nx EN || fail "the machine's option could not be switched back"
expect "the run after a change by hand" some
grep -q 'code 20' "$work/play.log" || fail "the run after a change did not name the record"
expect "the run after that" none
[ "$failures" -eq 0 ] && echo "all checks passed"
exit "$failures"
