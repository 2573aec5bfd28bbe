#!/usr/bin/env bash
# The test launcher's restarts, against a fake "wine" on PATH: a start that
# failed and printed nothing on standard output is tried again (three starts
# at most); any other run is final. Each case checks the exit status, how
# often the program was started, what reached standard output and how many
# failed starts were written down.
set -uo pipefail
launcher=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-launch.sh
failures=0
cases=0

# The fake plays FAKE_RUNS, one word per start ("silent:CODE" exits with
# CODE printing nothing on standard output but a line on standard error,
# "print:CODE" prints a line on standard output and exits with CODE); the
# last word repeats.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/bin"
cat >"$dir/bin/wine" <<'FAKE'
#!/usr/bin/env bash
read -r -a runs <<<"$FAKE_RUNS"
count=$(( $(cat "$FAKE_COUNT" 2>/dev/null || echo 0) + 1 ))
echo "$count" >"$FAKE_COUNT"
run=${runs[$(( count <= ${#runs[@]} ? count - 1 : ${#runs[@]} - 1 ))]}
case $run in
  silent:*) echo "wine: start $count failed" >&2 ;;
  print:*) echo "[==========] start $count: $*" ;;
esac
exit "${run#*:}"
FAKE
chmod +x "$dir/bin/wine"

# case NAME FAKE_RUNS EXIT STARTS LOGGED OUTPUT_PATTERN ("-": no output, but
# Wine's errors on standard error)
run_case() {
  local name=$1 runs=$2 exit_wanted=$3 starts_wanted=$4 logged_wanted=$5 pattern=$6
  rm -f "$dir/count" "$dir/restarts"
  FAKE_RUNS=$runs FAKE_COUNT=$dir/count ONDREL_WINE_RESTART_LOG=$dir/restarts \
    PATH="$dir/bin:$PATH" bash "$launcher" test.exe --gtest_filter=A.B >"$dir/out" 2>"$dir/err"
  local status=$? problems=()
  local starts logged
  starts=$(cat "$dir/count")
  logged=$(grep -c '^[0-9]' "$dir/restarts" 2>/dev/null)
  [ "$status" = "$exit_wanted" ] || problems+=("exit $status, wanted $exit_wanted")
  [ "$starts" = "$starts_wanted" ] || problems+=("$starts starts, wanted $starts_wanted")
  [ "${logged:-0}" = "$logged_wanted" ] || problems+=("${logged:-0} failed starts logged, wanted $logged_wanted")
  if [ "$pattern" = - ]; then
    [ ! -s "$dir/out" ] || problems+=("standard output not empty")
    grep -q "wine: start 1 failed" "$dir/err" || problems+=("Wine's errors did not pass through")
  else
    grep -qE "$pattern" "$dir/out" || problems+=("standard output lacks '$pattern'")
  fi
  if [ "$logged_wanted" != 0 ]; then
    grep -q "test.exe --gtest_filter=A.B exited with" "$dir/restarts" &&
      grep -q "wine: start 1 failed" "$dir/restarts" ||
      problems+=("the log does not name the program, its status and Wine's errors")
  fi
  cases=$((cases + 1))
  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok   $name"
  else
    echo "FAIL $name"
    printf '     %s\n' "${problems[@]}"
    sed 's/^/     | /' "$dir/out" "$dir/err" "$dir/restarts" 2>/dev/null
    failures=$((failures + 1))
  fi
}

run_case "a passing program is started once" "print:0" 0 1 0 "start 1: test.exe --gtest_filter=A.B"
run_case "a failing test that printed is final" "print:1" 1 1 0 "start 1"
run_case "a silent pass is final" "silent:0" 0 1 0 -
run_case "one failed start, then the test runs" "silent:3 print:0" 0 2 1 "start 2"
run_case "a failed start, then a failing test: the test's status" "silent:3 print:1" 1 2 1 "start 2"
run_case "Wine never starts it: three starts, Wine's status kept" "silent:5" 5 3 2 -

echo "$((cases - failures)) of $cases launcher cases passed"
[ $failures -eq 0 ]
