#!/usr/bin/env bash
# Runs two builds of arch_answers on one section and fails, showing where,
# unless both succeed with the same output:
#
#   same-answers.sh SECTION SOURCE_DIR NATIVE_PROGRAM OTHER_COMMAND...
set -euo pipefail
section=$1 source_dir=$2 native=$3
shift 3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# answers NAME COMMAND...: the command's answers into $dir/NAME and
# $dir/NAME.err; a command that fails ends the comparison.
answers() {
    local name=$1
    shift
    if ! "$@" "$section" "$source_dir" > "$dir/$name" 2> "$dir/$name.err"; then
        echo "$section: $* failed:" >&2
        tail -n 20 "$dir/$name.err" >&2
        exit 1
    fi
}

answers native "$native"
answers other "$@"
lines=$(wc -l < "$dir/native")
if [ "$lines" -eq 0 ]; then
    echo "no answers for $section: nothing to compare" >&2
    exit 1
fi
# What they say on standard error (the model library's warnings) must agree too.
cat "$dir/native.err" >> "$dir/native"
cat "$dir/other.err" >> "$dir/other"
if ! diff -u "$dir/native" "$dir/other" > "$dir/diff"; then
    echo "$section: the answers differ (native first), $(grep -c '^[-+][^-+]' "$dir/diff") lines:" >&2
    head -n 60 "$dir/diff" >&2
    exit 1
fi
echo "$section: $lines lines, the same on both"
