#!/usr/bin/env bash
# Measures how many plausible faults the tests catch. For each fault listed
# in scripts/mutants.txt (one changed line in the store or the language
# table) it changes the line, builds natively without sanitizers (so that
# only the tests themselves count), runs the store and text tests, and puts
# the line back. Entries that name ctest labels (scripts/mutants-windows.txt:
# the pages, the shell, setup) are built in the Windows test build instead
# and their labels, and the end-to-end scenarios they name, run under Wine
# as the test command runs them. Prints "caught N of M" and every fault that
# got through. Not part of the test command.
#
#   mutate.sh [--check] [--sanitize] [--windows] [--list FILE] [--cap SECONDS] [NUMBER ...]
#     --check     only checks that every listed line is found, builds nothing
#     --sanitize  builds with AddressSanitizer and UBSan instead, to see
#                 which faults only the sanitizers catch (native entries)
#     --windows   the list of the Windows layers, scripts/mutants-windows.txt
#     --cap       a Windows test run that takes longer than this has hung:
#                 it is stopped and counts as caught, as the test command
#                 would fail by its time limit (default: three times the
#                 run without a fault, at least two minutes more than it)
#     NUMBER      runs only these entries of the list (1 is the first)
#
# Builds in build/mutate (and build/mutate-nosse2 for faults in the path the
# scanner takes without SSE2; "-asan" added with --sanitize), and the Windows
# entries in build/mutate-win (32-bit where the machine runs it, else the
# 64-bit build of the same sources) with a Wine prefix and a virtual display
# of their own; never in the test command's folders. Whatever ends the run,
# the changed file is put back.
set -uo pipefail
ondrel_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$ondrel_root" || exit 2

list="$ondrel_root/scripts/mutants.txt"
check_only=0
sanitize=OFF
cap=
chosen=()
while [ $# -gt 0 ]; do
  case $1 in
    --check) check_only=1 ;;
    --sanitize) sanitize=ON ;;
    --windows) list="$ondrel_root/scripts/mutants-windows.txt" ;;
    --list) shift; list=$1 ;;
    --cap) shift; cap=$1 ;;
    -h|--help) sed -n '2,31p' "$0"; exit 0 ;;
    *) chosen+=("$1") ;;
  esac
  shift
done

# Sets trimmed to $1 without the blanks around it.
trim() {
  trimmed=${1#"${1%%[![:space:]]*}"}
  trimmed=${trimmed%"${trimmed##*[![:space:]]}"}
}

# --- reading the list --------------------------------------------------------
files=() afters=() froms=() tos=() builds=() survives=() notes=() lines=() scenario_lists=()
note='' file='' after='' from='' to='' build='' survive='' has_to=0 start=0 labels='' scenarios=''
labels_of=()
line_number=0
finish_entry() {
  if [ -n "$file$from" ]; then
    if [ -z "$file" ] || [ -z "$from" ] || [ "$has_to" = 0 ]; then
      echo "$list:$start: an entry needs file:, from: and to:" >&2
      exit 2
    fi
    if [ -n "$scenarios" ] && [ -z "$labels" ]; then
      echo "$list:$start: scenarios: need labels: (they run in the Windows test build)" >&2
      exit 2
    fi
    # An entry with labels is a fault of the Windows build.
    [ -n "$labels" ] && build=win
    files+=("$file") afters+=("$after") froms+=("$from") tos+=("$to")
    builds+=("${build:-sse2}") survives+=("$survive") notes+=("$note") lines+=("$start")
    labels_of+=("$labels") scenario_lists+=("$scenarios")
  fi
  note='' file='' after='' from='' to='' build='' survive='' has_to=0 start=0 labels='' scenarios=
}
while IFS= read -r text || [ -n "$text" ]; do
  line_number=$((line_number + 1))
  case $text in
    '') finish_entry ;;
    '#'*) trim "${text#\#}"; [ "$start" = 0 ] && note="${note:+$note }$trimmed" ;;
    *)
      [ "$start" = 0 ] && start=$line_number
      trim "${text#*:}"
      value=$trimmed
      case $text in
        file:*) file=$value ;;
        after:*) after=$value ;;
        from:*) from=$value ;;
        to:*) to=$value; has_to=1 ;;
        build:*) build=$value ;;
        survives:*) survive=$value ;;
        labels:*) labels=$value ;;
        scenarios:*) scenarios=$value ;;
        *) echo "$list:$line_number: not understood: $text" >&2; exit 2 ;;
      esac ;;
  esac
done <"$list"
finish_entry
total=${#files[@]}
[ "$total" -gt 0 ] || { echo "no faults in $list" >&2; exit 2; }

# Number of the line (1-based) that entry $1 changes, or an error.
target_line() {
  local i=$1 path="$ondrel_root/${files[$1]}" result
  [ -f "$path" ] || { echo "line ${lines[$i]} of the list: no file ${files[$i]}" >&2; return 1; }
  result=$(ONDREL_AFTER=${afters[$i]} ONDREL_FROM=${froms[$i]} awk '
    function trim(s) { sub(/^[ \t\r]+/, "", s); sub(/[ \t\r]+$/, "", s); return s }
    BEGIN { after = ENVIRON["ONDREL_AFTER"]; from = ENVIRON["ONDREL_FROM"]; open = after == "" }
    !open { if (index($0, after) > 0) open = 1; next }
    trim($0) == from { matches++; if (!first) first = NR }
    END { if (!open) print "after"; else print matches + 0, first + 0 }' "$path")
  case $result in
    after) echo "line ${lines[$i]} of the list: after: not found in ${files[$i]}" >&2; return 1 ;;
    0\ *) echo "line ${lines[$i]} of the list: from: not found in ${files[$i]}: ${froms[$i]}" >&2
           return 1 ;;
    1\ *) ;;
    *) if [ -z "${afters[$i]}" ]; then
         echo "line ${lines[$i]} of the list: from: stands ${result%% *} times in ${files[$i]}; give after:" >&2
         return 1
       fi ;;
  esac
  echo "${result#* }"
}

broken=0
targets=()
for ((i = 0; i < total; i++)); do
  if t=$(target_line "$i"); then targets+=("$t"); else targets+=(0); broken=1; fi
done
[ "$broken" = 0 ] || { echo "the list no longer fits the code: fix it first" >&2; exit 2; }
if [ ${#chosen[@]} -eq 0 ]; then
  for ((i = 1; i <= total; i++)); do chosen+=("$i"); done
fi
for n in "${chosen[@]}"; do
  [[ $n =~ ^[0-9]+$ ]] && [ "$n" -ge 1 ] && [ "$n" -le "$total" ] ||
    { echo "no entry $n (1 to $total)" >&2; exit 2; }
done
echo "$total faults listed; every line found"
[ "$check_only" = 1 ] && exit 0

# --- building and testing ----------------------------------------------------
logs="$ondrel_root/build/mutate-logs"
[ "$sanitize" = ON ] && logs=$logs-asan
mkdir -p "$logs"
folder_of() {
  local folder=build/mutate
  [ "$1" = win ] && { echo build/mutate-win; return; }
  [ "$1" = nosse2 ] && folder=$folder-nosse2
  [ "$sanitize" = ON ] && folder=$folder-asan
  echo "$folder"
}
without_sse2() { [ "$1" = nosse2 ] && echo ON || echo OFF; }

configure() {
  local kind=$1 folder
  folder=$(folder_of "$kind")
  if [ "$kind" = win ]; then
    cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$ondrel_win_toolchain" -DONDREL_BENCH=OFF \
      >"$logs/configure-$kind.log" 2>&1 ||
      { cat "$logs/configure-$kind.log"; exit 1; }
    return
  fi
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_SANITIZE="$sanitize" \
    -DONDREL_BENCH=OFF -DONDREL_SCAN_WITHOUT_SSE2="$(without_sse2 "$kind")" \
    >"$logs/configure-$kind.log" 2>&1 ||
    { cat "$logs/configure-$kind.log"; exit 1; }
}
build() { timeout 900 cmake --build "$(folder_of "$1")" -j 2 >"$2" 2>&1; }

# The Windows tests of entry $1: its labels (the end-to-end scenarios
# left out), then the scenarios it names, one test at a time on the
# display, as the test command runs them. The whole run is stopped after
# cap seconds (the second argument; none for the run without a fault) and
# then answers 124.
run_windows_tests() {
  local i=$1 limit=${2:-} scenario_pattern=''
  local -a stop=()
  [ -n "$limit" ] && stop=(timeout -k 10 "$limit")
  if [ -n "${scenario_lists[$i]}" ]; then
    scenario_pattern="_e2e_($(echo ${scenario_lists[$i]} | tr ' ' '|'))\$"
  fi
  (
    cd build/mutate-win || exit 2
    status=0
    "${stop[@]}" ctest -L "${labels_of[$i]}" -LE e2e --timeout 300 --output-on-failure || status=$?
    [ "$status" = 124 ] && exit 124
    if [ -n "$scenario_pattern" ]; then
      "${stop[@]}" ctest -R "$scenario_pattern" --timeout 300 --output-on-failure || status=$?
    fi
    exit "$status"
  )
}

# The native tests that reach the store and the language table. A fault
# can make a loop run away with memory: each test gets at most 4 GB
# (AddressSanitizer reserves far more address space and keeps its own limit).
# For a Windows entry ($3), the entry's Windows tests.
run_tests() {
  if [ "$1" = win ]; then
    run_windows_tests "$3" "${4:-}" >"$2" 2>&1
    return
  fi
  (cd "$(folder_of "$1")" && { [ "$sanitize" = ON ] || ulimit -v 4000000; } &&
    timeout 900 ctest -j 2 -L 'store|text' --timeout 60 \
    --output-on-failure) >"$2" 2>&1
}

# Wine for the Windows entries: a prefix and a virtual display of the
# script's own, so that a run beside the test command or a person's work
# shares neither.
wine_started=0
start_wine() {
  export WINEPREFIX="$ondrel_root/build/mutate-wineprefix$([ "$ondrel_wine_bits" = 64 ] && echo 64)"
  unset DISPLAY
  ondrel_wine_start
  wine_started=1
  export ONDREL_WINE_RESTART_LOG="$logs/wine-restarts.log"
  wine "$ondrel_root/build/mutate-win/tests/support/wine_keepalive.exe" </dev/null >/dev/null 2>&1 &
}
stop_wine() { [ "$wine_started" = 1 ] && ondrel_wine_stop; wine_started=0; }

# How many tests a ctest log shows failing, from each test's own result
# line (a run stopped at its cap has no summary).
failed_tests() { grep -c '\*\*\*Failed\|\*\*\*Timeout\|\*\*\*Exception\|Subprocess aborted' "$1"; }

backup=$(mktemp -d)
changed=''
restore() {
  if [ -n "$changed" ]; then
    cp -p "$backup/original" "$ondrel_root/$changed"
    touch "$ondrel_root/$changed"
    changed=''
  fi
}
trap 'restore; stop_wine; rm -rf "$backup"' EXIT
trap 'echo "interrupted" >&2; exit 130' INT TERM

kinds_needed=()
for n in "${chosen[@]}"; do
  k=${builds[$((n - 1))]}
  [[ " ${kinds_needed[*]} " == *" $k "* ]] || kinds_needed+=("$k")
done
if [[ " ${kinds_needed[*]} " == *" win "* ]]; then
  # shellcheck source=scripts/wine-env.sh
  . "$ondrel_root/scripts/wine-env.sh"
fi
# Seconds the Windows tests of each selection (labels and scenarios) took
# without a fault.
declare -A baseline_seconds=()
selection_of() { echo "${labels_of[$1]} / ${scenario_lists[$1]}"; }
for k in "${kinds_needed[@]}"; do
  echo "== baseline build ($(folder_of "$k"))"
  configure "$k"
  build "$k" "$logs/baseline-build-$k.log" ||
    { tail -n 40 "$logs/baseline-build-$k.log"; exit 1; }
  if [ "$k" = win ]; then
    start_wine
    for n in "${chosen[@]}"; do
      i=$((n - 1))
      [ "${builds[$i]}" = win ] || continue
      selection=$(selection_of "$i")
      [ -n "${baseline_seconds[$selection]:-}" ] && continue
      echo "== baseline Windows tests: $selection"
      started=$SECONDS
      run_tests win "$logs/baseline-test-win-${#baseline_seconds[@]}.log" "$i" ||
        { tail -n 40 "$logs/baseline-test-win-${#baseline_seconds[@]}.log"
          echo "the tests fail without any fault" >&2; exit 1; }
      baseline_seconds[$selection]=$((SECONDS - started))
      echo "   ${baseline_seconds[$selection]} s"
    done
    continue
  fi
  run_tests "$k" "$logs/baseline-test-$k.log" ||
    { tail -n 40 "$logs/baseline-test-$k.log"; echo "the tests fail without any fault" >&2; exit 1; }
done
# The time after which a Windows run with a fault counts as hung.
cap_for() {
  local base=${baseline_seconds[$(selection_of "$1")]}
  if [ -n "$cap" ]; then echo "$cap"; return; fi
  local limit=$((base * 3))
  [ "$limit" -lt $((base + 120)) ] && limit=$((base + 120))
  echo "$limit"
}

caught=0 tried=0
survivors=() unbuilt=() hung=()
for n in "${chosen[@]}"; do
  i=$((n - 1))
  path="$ondrel_root/${files[$i]}"
  target=${targets[$i]}
  cp -p "$path" "$backup/original"
  changed=${files[$i]}
  # The changed line keeps the original's indentation.
  # (Through the environment: awk -v would read backslashes as escapes.)
  ONDREL_FAULT_LINE=${tos[$i]} awk -v at="$target" '
    NR == at { match($0, /^[ \t]*/); print substr($0, 1, RLENGTH) ENVIRON["ONDREL_FAULT_LINE"]; next }
    { print }' "$backup/original" >"$path"
  label="$n: ${files[$i]}:$target (${notes[$i]})"
  start_time=$SECONDS
  if ! build "${builds[$i]}" "$logs/fault-$n-build.log"; then
    unbuilt+=("$label")
    echo "[$n/$total] DID NOT BUILD  ${files[$i]}:$target"
    restore
    continue
  fi
  tried=$((tried + 1))
  limit=''
  [ "${builds[$i]}" = win ] && limit=$(cap_for "$i")
  run_tests "${builds[$i]}" "$logs/fault-$n-test.log" "$i" "$limit"
  result=$?
  if [ "$result" = 0 ]; then
    survivors+=("$n")
    echo "[$n/$total] got through   ${files[$i]}:$target  ($((SECONDS - start_time)) s)"
  elif [ "$result" = 124 ] && [ -n "$limit" ]; then
    caught=$((caught + 1))
    failed=$(failed_tests "$logs/fault-$n-test.log")
    if [ "$failed" -gt 0 ]; then
      echo "[$n/$total] caught        ${files[$i]}:$target  ($failed tests failed before the cap of $limit s stopped the run)"
    else
      hung+=("$n")
      echo "[$n/$total] caught        ${files[$i]}:$target  (hung: stopped after the cap of $limit s)"
    fi
  else
    caught=$((caught + 1))
    failed=$(failed_tests "$logs/fault-$n-test.log")
    echo "[$n/$total] caught        ${files[$i]}:$target  ($failed tests failed, $((SECONDS - start_time)) s)"
  fi
  restore
done
# Leave both builds as the code is.
for k in "${kinds_needed[@]}"; do build "$k" "$logs/final-build-$k.log"; done

echo
if [ ${#unbuilt[@]} -gt 0 ]; then
  echo "Faults that did not build (not counted; fix the list):"
  printf '  %s\n' "${unbuilt[@]}"
fi
if [ ${#survivors[@]} -gt 0 ]; then
  echo "Faults that got through:"
  for n in "${survivors[@]}"; do
    i=$((n - 1))
    echo "  $n: ${files[$i]}:${targets[$i]}: ${froms[$i]}"
    echo "      -> ${tos[$i]:-(line removed)}"
    echo "      ${notes[$i]}"
    [ -n "${survives[$i]}" ] && echo "      why it gets through: ${survives[$i]}"
  done
fi
if [ ${#hung[@]} -gt 0 ]; then
  echo "Caught only by hanging past the cap (the test command would fail by its time limit): ${hung[*]}"
fi
echo "caught $caught of $tried"
[ ${#unbuilt[@]} -eq 0 ]
