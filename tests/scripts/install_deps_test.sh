#!/usr/bin/env bash
# The install step's decisions, without a network: scripts/install-deps.sh
# runs against fake apt-get, dpkg and dpkg-query on PATH and a fake /etc/apt,
# in the ways a real machine was seen to fail. Each case checks what apt-get
# was asked to do, what the script printed and how it ended.
set -uo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-deps.sh
failures=0

# Fakes. apt-get's behaviour comes from FAKE_APT: words "update-fails",
# "install-fails-once" (fails unless given filtered sources) and
# "install-fails-always". Every call is logged; a call with filtered sources
# also copies them so that the case can check what was left out.
make_fakes() {
  local bin=$1
  mkdir -p "$bin"
  cat >"$bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
parts=
for arg in "$@"; do case $arg in Dir::Etc::SourceParts=*) parts=${arg#*=} ;; esac; done
[ -n "$parts" ] && cat "$parts"/* >"$FAKE_LOG.sources"
case " $* " in
  *" update "*)
    if [[ $FAKE_APT == *update-fails* && -z $parts ]]; then
      echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100
    fi ;;
  *" install "*)
    if [[ $FAKE_APT == *install-fails-always* || ( $FAKE_APT == *install-fails-once* && -z $parts ) ]]; then
      echo "The following packages have unmet dependencies:"
      echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
      echo "E: Unable to correct problems, you have held broken packages." >&2
      exit 100
    fi ;;
esac
exit 0
FAKE
  cat >"$bin/dpkg-query" <<'FAKE'
#!/usr/bin/env bash
# Every package is missing unless FAKE_INSTALLED is "all".
[ "${FAKE_INSTALLED:-}" = all ] && printf 'install ok installed' && exit 0
exit 1
FAKE
  cat >"$bin/dpkg" <<'FAKE'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE_LOG"
[ "$1" = --print-foreign-architectures ] && echo i386
exit 0
FAKE
  cat >"$bin/id" <<'FAKE'
#!/usr/bin/env bash
echo 0
FAKE
  chmod +x "$bin"/*
}

make_sources() {
  local etc=$1
  mkdir -p "$etc/sources.list.d"
  cat >"$etc/sources.list.d/debian.sources" <<'SOURCES'
Types: deb
URIs: http://deb.example/debian
Suites: bookworm bookworm-updates
Components: main

Types: deb
URIs: http://deb.example/debian-security
Suites: bookworm-security
Components: main
SOURCES
  echo "deb [arch=amd64] http://deb.example/debian-security/ bookworm-security contrib" >"$etc/sources.list"
}

# case NAME FAKE_APT FAKE_INSTALLED EXPECTED_EXIT (0 or nonzero) then checks:
#   ran:PATTERN      some apt-get call matches PATTERN
#   notran:PATTERN   no apt-get call matches PATTERN
#   said:PATTERN     the script's output matches PATTERN
#   kept:PATTERN     the filtered sources hold PATTERN
#   dropped:PATTERN  the filtered sources do not hold PATTERN
run_case() {
  local name=$1 apt=$2 installed=$3 expect=$4
  shift 4
  local dir
  dir=$(mktemp -d)
  make_fakes "$dir/bin"
  make_sources "$dir/etc"
  local before
  before=$(cd "$dir/etc" && find . -type f -exec md5sum {} + | sort)
  : >"$dir/log"
  FAKE_APT=$apt FAKE_INSTALLED=$installed FAKE_LOG=$dir/log ONDREL_APT_ETC=$dir/etc \
    PATH="$dir/bin:$PATH" bash "$script" >"$dir/out" 2>&1
  local status=$? problems=()
  if [ "$expect" = 0 ] && [ $status -ne 0 ]; then problems+=("exit $status, wanted 0"); fi
  if [ "$expect" != 0 ] && [ $status -eq 0 ]; then problems+=("exit 0, wanted a failure"); fi
  local check
  for check in "$@"; do
    local kind=${check%%:*} pattern=${check#*:}
    case $kind in
      ran) grep -qE "^apt-get .*$pattern" "$dir/log" || problems+=("no apt-get call matching '$pattern'") ;;
      notran) ! grep -qE "^apt-get .*$pattern" "$dir/log" || problems+=("an apt-get call matched '$pattern'") ;;
      said) grep -qE "$pattern" "$dir/out" || problems+=("output lacks '$pattern'") ;;
      kept) grep -qE "$pattern" "$dir/log.sources" 2>/dev/null || problems+=("filtered sources lack '$pattern'") ;;
      dropped) [ -f "$dir/log.sources" ] && ! grep -qE "$pattern" "$dir/log.sources" ||
        problems+=("filtered sources still hold '$pattern'") ;;
    esac
  done
  [ "$before" = "$(cd "$dir/etc" && find . -type f -exec md5sum {} + | sort)" ] ||
    problems+=("the machine's sources were changed")
  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok   $name"
  else
    echo "FAIL $name"
    printf '     %s\n' "${problems[@]}"
    sed 's/^/     | /' "$dir/log" "$dir/out"
    failures=$((failures + 1))
  fi
  rm -rf "$dir"
}

run_case "everything installed: apt-get is not run" "" all 0 \
  "notran:."
run_case "clean machine: one update, one install with every package" "" none 0 \
  "ran:update" "ran:install .*wine32:i386.*fonts-wine" "notran:SourceParts"
run_case "update exits 100, install still resolves: warned and installed" "update-fails" none 0 \
  "said:warning: the package index update failed" "said:Mirror sync in progress" \
  "ran:install -y" "notran:SourceParts"
run_case "update exits 100, install fails once: retried without the failed suite" \
  "update-fails install-fails-once" none 0 \
  "said:without the suites whose index failed: bookworm-security" \
  "ran:SourceParts=.* update" "ran:SourceParts=.* install .*wine32:i386" \
  "kept:Suites: bookworm bookworm-updates" "kept:URIs: http://deb.example/debian$" \
  "dropped:bookworm-security"
run_case "install fails twice: one clear message naming the packages and apt's reason" \
  "update-fails install-fails-always" none 1 \
  "said:could not install: .*wine32:i386" "said:held broken packages" \
  "said:wine32:i386 : Depends"
run_case "install fails with every index fetched: no retry, the reason told" \
  "install-fails-always" none 1 \
  "notran:SourceParts" "said:could not install:" "said:held broken packages"

echo "$((6 - failures)) of 6 install-step cases passed"
[ $failures -eq 0 ]
