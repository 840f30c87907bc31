#!/usr/bin/env bash
# ostrel --check on what is not a password file, or not only one: each is
# refused at once (a pipe never makes it wait) with a plain sentence, no
# error number, and an exit status of its own; --help and the manual page
# list every status.
#   check-statuses.sh OSTREL SAMPLES MANUAL
set -u
ostrel=$1 samples=$2 manual=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# expect STATUS PATH SENTENCE: the status, the sentence, and no "#number".
expect() {
  local out rc
  out=$(timeout 20 "$ostrel" --check "$2" 2>/dev/null)
  rc=$?
  if [ "$rc" -ne "$1" ] || ! grep -qF -- "$3" <<<"$out" || grep -q '#' <<<"$out"; then
    fail "--check $2 gave status $rc (wanted $1) and said: $out"
  fi
}

mkfifo "$dir/pipe"
mkdir "$dir/folder"
cp "$samples/sound.xps" "$dir/planted.xps"
mkfifo "$dir/planted.xps-journal"
expect 4 "$dir/none.xps" "there is no such file"
expect 6 "$dir/folder" "it is a folder"
expect 6 "$dir/pipe" "it is not a regular file"
expect 7 "$dir/planted.xps" "planted.xps-journal lies where the password file's journal goes"
if [ "$(id -u)" -ne 0 ]; then
  cp "$samples/sound.xps" "$dir/locked.xps"
  chmod 000 "$dir/locked.xps"
  expect 5 "$dir/locked.xps" "cannot be checked"
fi

# A protected copy: sound without a key (contents not checked), sound with
# its key, a problem with another.
cp "$samples/sound.xps" "$dir/protected.xps"
printf 'sample data key\n' >"$dir/key"
printf 'sample data kez\n' >"$dir/wrong"
"$ostrel" --protect "$dir/protected.xps" --key-file "$dir/key" >/dev/null || fail "--protect gave status $?"
out=$("$ostrel" --check "$dir/protected.xps") && grep -qF "contents were not checked" <<<"$out" ||
  fail "--check without a key said: $out"
"$ostrel" --check "$dir/protected.xps" --key-file "$dir/key" >/dev/null || fail "--check with the key failed"
"$ostrel" --check "$dir/protected.xps" --key-file "$dir/wrong" >/dev/null && fail "--check took a wrong key"

help=$("$ostrel" --help)
grep -qF -- "--protect FILE" <<<"$help" || fail "--help lacks --protect"
grep -q 'ostrel \\-\\-protect' "$manual" || fail "the manual page lacks --protect"
for status in "4 there is no such file" "5 it cannot be read" "6 it is not" "7 something"; do
  grep -qF -- "$status" <<<"$help" || fail "--help does not list \"$status\""
done
grep -q 'ostrel \\-\\-check' "$manual" || fail "the manual page lacks --check"
for status in 0 1 2 3 4 5 6 7; do
  grep -qx "\.B $status" "$manual" || fail "the manual page lacks exit status $status"
done
exit $failed
