#!/usr/bin/env bash
# Measures how many plausible faults the native tests catch. For each fault
# listed in scripts/mutants.txt (one changed line in the store or the
# language table) it changes the line, builds natively without sanitizers
# (so that only the tests themselves count), runs the store and text tests,
# and puts the line back. Prints "caught N of M" and every fault that got
# through. Not part of the test command.
#
#   mutate.sh [--check] [--sanitize] [--list FILE] [NUMBER ...]
#     --check     only checks that every listed line is found, builds nothing
#     --sanitize  builds with AddressSanitizer and UBSan instead, to see
#                 which faults only the sanitizers catch
#     NUMBER      runs only these entries of the list (1 is the first)
#
# Builds in build/mutate (and build/mutate-nosse2 for faults in the path the
# scanner takes without SSE2; "-asan" added with --sanitize), never in
# build/native. Whatever ends the run, the changed file is put back.
set -uo pipefail
ondrel_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$ondrel_root" || exit 2

list="$ondrel_root/scripts/mutants.txt"
check_only=0
sanitize=OFF
chosen=()
while [ $# -gt 0 ]; do
  case $1 in
    --check) check_only=1 ;;
    --sanitize) sanitize=ON ;;
    --list) shift; list=$1 ;;
    -h|--help) sed -n '2,19p' "$0"; exit 0 ;;
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
files=() afters=() froms=() tos=() builds=() survives=() notes=() lines=()
note='' file='' after='' from='' to='' build='' survive='' has_to=0 start=0
line_number=0
finish_entry() {
  if [ -n "$file$from" ]; then
    if [ -z "$file" ] || [ -z "$from" ] || [ "$has_to" = 0 ]; then
      echo "$list:$start: an entry needs file:, from: and to:" >&2
      exit 2
    fi
    files+=("$file") afters+=("$after") froms+=("$from") tos+=("$to")
    builds+=("${build:-sse2}") survives+=("$survive") notes+=("$note") lines+=("$start")
  fi
  note='' file='' after='' from='' to='' build='' survive='' has_to=0 start=0
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
  [ "$1" = nosse2 ] && folder=$folder-nosse2
  [ "$sanitize" = ON ] && folder=$folder-asan
  echo "$folder"
}
without_sse2() { [ "$1" = nosse2 ] && echo ON || echo OFF; }

configure() {
  local kind=$1 folder
  folder=$(folder_of "$kind")
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDREL_SANITIZE="$sanitize" \
    -DONDREL_BENCH=OFF -DONDREL_SCAN_WITHOUT_SSE2="$(without_sse2 "$kind")" \
    >"$logs/configure-$kind.log" 2>&1 ||
    { cat "$logs/configure-$kind.log"; exit 1; }
}
build() { timeout 900 cmake --build "$(folder_of "$1")" -j 2 >"$2" 2>&1; }
# The native tests that reach the store and the language table. A fault
# can make a loop run away with memory: each test gets at most 4 GB
# (AddressSanitizer reserves far more address space and keeps its own limit).
run_tests() {
  (cd "$(folder_of "$1")" && { [ "$sanitize" = ON ] || ulimit -v 4000000; } &&
    timeout 900 ctest -j 2 -L 'store|text' --timeout 60 \
    --output-on-failure) >"$2" 2>&1
}

backup=$(mktemp -d)
changed=''
restore() {
  if [ -n "$changed" ]; then
    cp -p "$backup/original" "$ondrel_root/$changed"
    touch "$ondrel_root/$changed"
    changed=''
  fi
}
trap 'restore; rm -rf "$backup"' EXIT
trap 'echo "interrupted" >&2; exit 130' INT TERM

kinds_needed=()
for n in "${chosen[@]}"; do
  k=${builds[$((n - 1))]}
  [[ " ${kinds_needed[*]} " == *" $k "* ]] || kinds_needed+=("$k")
done
for k in "${kinds_needed[@]}"; do
  echo "== baseline build ($(folder_of "$k"))"
  configure "$k"
  build "$k" "$logs/baseline-build-$k.log" ||
    { tail -n 40 "$logs/baseline-build-$k.log"; exit 1; }
  run_tests "$k" "$logs/baseline-test-$k.log" ||
    { tail -n 40 "$logs/baseline-test-$k.log"; echo "the tests fail without any fault" >&2; exit 1; }
done

caught=0 tried=0
survivors=() unbuilt=()
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
  if run_tests "${builds[$i]}" "$logs/fault-$n-test.log"; then
    survivors+=("$n")
    echo "[$n/$total] got through   ${files[$i]}:$target  ($((SECONDS - start_time)) s)"
  else
    caught=$((caught + 1))
    failed=$(grep -c '(Failed)\|(Timeout)\|(Subprocess aborted)\|(SEGFAULT)\|Exception' \
      "$logs/fault-$n-test.log")
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
    [ -n "${survives[$i]}" ] && echo "      harmless: ${survives[$i]}"
  done
fi
echo "caught $caught of $tried"
[ ${#unbuilt[@]} -eq 0 ]
