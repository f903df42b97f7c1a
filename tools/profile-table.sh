#!/bin/sh
# Writes the table of simulated profiles into docs/simulated-machine.md from the program itself:
# each profile's name and description as `--simulate list` gives them, and the page it shows.
# With --check it only compares, and fails when the document says otherwise.
#   tools/profile-table.sh [--check] ZANDRO_BINARY DOCUMENT
check=no
[ "$1" = --check ] && { check=yes; shift; }
zandro=$1 doc=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$zandro" "$work/zandro"
printf '[MainWindow]\nPositionLeft=0\nPositionTop=0\n' > "$work/config.ini"
table() {
echo '| Profile | Processor | Page control |'
echo '|---|---|---|'
"$work/zandro" --simulate list | while IFS="$(printf '\t')" read -r name description; do
    page=$("$work/zandro" --headless --simulate "$name" --report </dev/null 2>/dev/null |
        sed -n '1s/^page\t//p')
    echo "| \`$name\` | $description | $page |"
done
}
table > "$work/table"
# The table stands between two marker lines of the document.
awk -v table="$work/table" '
    /^<!-- profile-table -->$/ { print; while ((getline line < table) > 0) print line; skip = 1; next }
    /^<!-- \/profile-table -->$/ { skip = 0 }
    !skip { print }' "$doc" > "$work/doc"
if [ "$check" = yes ]; then
    diff -u "$doc" "$work/doc" && echo "the profile table matches --simulate list"
else
    cp "$work/doc" "$doc"
fi
