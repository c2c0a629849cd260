#!/usr/bin/env bash
# Runs a converter program over golden cases as a user runs the tool: each
# case's model.hvt copied into a fresh folder and converted by its absolute
# path; the written model.qsx must equal expected.qsx byte for byte (none may
# be written without one), standard output must equal expected.stdout with
# @MODEL@ standing for the model path, the exit status expected.exit (0 when
# absent), and nothing but model.hvt and model.qsx may be left in the folder.
#
#   tests/golden_cli_test.sh PROGRAM CASES_DIR
set -uo pipefail
bin=$1
cases=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

pass=0 fail=0
for dir in "$cases"/*/; do
  name=$(basename "$dir")
  work="$tmp/$name"
  mkdir -p "$work"
  [ -f "$dir/model.hvt" ] && cp "$dir/model.hvt" "$work/"
  model="$work/model.hvt"
  (cd "$work" && timeout 60 "$bin" "$model" >"$tmp/$name.out" 2>"$tmp/$name.err")
  rc=$?
  exp_rc=0
  [ -f "$dir/expected.exit" ] && exp_rc=$(tr -d ' \r\n' <"$dir/expected.exit")
  : >"$tmp/$name.exp"
  [ -f "$dir/expected.stdout" ] && M="$model" awk 'BEGIN { m = ENVIRON["M"] } { o = ""; s = $0
      while ((i = index(s, "@MODEL@")) > 0) { o = o substr(s, 1, i - 1) m; s = substr(s, i + 7) }
      print o s }' "$dir/expected.stdout" >"$tmp/$name.exp"
  bad=()
  if [ -f "$dir/expected.qsx" ]; then
    cmp -s "$dir/expected.qsx" "$work/model.qsx" || bad+=("model.qsx missing or different")
  elif [ -e "$work/model.qsx" ]; then
    bad+=("model.qsx written but none expected")
  fi
  cmp -s "$tmp/$name.exp" "$tmp/$name.out" || bad+=("stdout differs")
  [ "$rc" = "$exp_rc" ] || bad+=("exit status $rc, expected $exp_rc")
  left=$(cd "$work" && ls -A | grep -v -x -e model.hvt -e model.qsx | paste -sd' ' -)
  [ -z "$left" ] || bad+=("files left: $left")
  if [ "${#bad[@]}" -eq 0 ]; then
    pass=$((pass + 1))
  else
    fail=$((fail + 1))
    echo "FAIL $name: $(IFS=';'; echo "${bad[*]}")"
    diff -u --label expected.stdout --label stdout "$tmp/$name.exp" "$tmp/$name.out" | head -n 12 | sed 's/^/    /'
    head -n 3 "$tmp/$name.err" | sed 's/^/    stderr: /'
  fi
done
echo "$(basename "$bin") on $(basename "$cases"): $pass passed, $fail failed"
[ "$fail" -eq 0 ] && [ "$pass" -gt 0 ]
