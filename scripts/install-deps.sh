#!/usr/bin/env bash
# Installs what building and testing Ondrel needs on a fresh Debian machine:
# the MinGW-w64 cross compilers (32- and 64-bit), 32-bit Wine with the font it draws title-bar
# glyphs with, Xvfb, the GoogleTest sources, clang with its sanitizer and
# fuzzer runtime, ImageMagick, lnkinfo and xdotool. Does nothing when every
# package is already there.
#
# A package index that fails to download (a mirror caught mid-sync answers
# with a file of the wrong size) does not stop the run: apt keeps the old
# index or none, and the install is tried as usual. When the install then
# cannot resolve the packages, it is tried once more with only the suites
# whose indexes were fetched, through a filtered copy of the sources given to
# that one apt-get run; the machine's own sources are never changed.
#
# ONDREL_APT_ETC (default /etc/apt) names the folder whose sources are read;
# the tests point it at a fake one.
set -uo pipefail

# The 64-bit cross compiler builds the test programs on machines that run no
# 32-bit code (scripts/wine-arch.sh).
packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 fonts-wine xvfb googletest libgtest-dev
  libbenchmark-dev clang libclang-rt-14-dev imagemagick liblnk-utils cmake ninja-build xdotool
)
apt_etc=${ONDREL_APT_ETC:-/etc/apt}

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
say() { echo "install-deps: $*" >&2; }

need=()
for package in "${packages[@]}"; do
  have_pkg "$package" || need+=("$package")
done
[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  say "missing packages (${need[*]}); run as root"
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386 || { say "could not add the i386 architecture"; exit 1; }
fi

# "URI SUITE" of every index that could not be fetched, from apt's messages
# "E: Failed to fetch http://host/debian-security/dists/bookworm-security/...".
failed_suites() {
  sed -n 's/^[EW]: Failed to fetch \([^ ]*\)\/dists\/\([^/ ]*\)\/.*/\1 \2/p' "$1" | sort -u
}

# Copies the sources into folder $1, leaving out every suite listed in file
# $2 ("URI SUITE" lines). One-line .list entries are dropped whole; in
# deb822 .sources stanzas the suite is taken out of "Suites:", and a stanza
# left with none is dropped.
filter_sources() {
  local out=$1 skip=$2 file n=0
  mkdir -p "$out"
  for file in "$apt_etc/sources.list" "$apt_etc"/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    n=$((n + 1))
    awk 'NR == FNR { skip[$1 " " $2] = 1; next }
         $1 ~ /^deb(-src)?$/ {
           i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
           uri = $i; sub(/\/$/, "", uri)
           if ((uri " " $(i + 1)) in skip) next
         }
         { print }' "$skip" "$file" >"$out/$n-$(basename "$file" .list).list"
  done
  for file in "$apt_etc"/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk 'NR == FNR { skip[$1 " " $2] = 1; next }
         function flush(   i, n, kept, parts, u, uris, nu, j, drop) {
           if (count == 0) return
           n = split(suites, parts, " "); nu = split(uriList, uris, " "); kept = ""
           for (i = 1; i <= n; i++) {
             drop = 0
             for (j = 1; j <= nu; j++) { u = uris[j]; sub(/\/$/, "", u); if ((u " " parts[i]) in skip) drop = 1 }
             if (!drop) kept = kept " " parts[i]
           }
           if (n == 0 || kept != "") {
             for (i = 1; i <= count; i++) print (i == suitesLine ? "Suites:" kept : lines[i])
             print ""
           }
           count = 0; suites = ""; uriList = ""; suitesLine = 0
         }
         /^[ \t]*$/ { flush(); next }
         { lines[++count] = $0 }
         /^URIs:/ { uriList = $0; sub(/^URIs:[ \t]*/, "", uriList) }
         /^Suites:/ { suites = $0; sub(/^Suites:[ \t]*/, "", suites); suitesLine = count }
         END { flush() }' "$skip" "$file" >"$out/$(basename "$file")"
  done
}

# apt-get with its output in file $1 (and its last error lines on failure).
apt_run() {
  local log=$1
  shift
  apt-get "$@" >"$log" 2>&1
}

say "installing ${need[*]}"
if ! apt_run "$work/update.log" update -qq; then
  say "warning: the package index update failed in part; going on with what was fetched:"
  grep -E '^(E|W):' "$work/update.log" | sed 's/^/  /' >&2
fi
failed_suites "$work/update.log" >"$work/failed-suites"

install=(install -y -qq --no-install-recommends "${need[@]}")
apt_run "$work/install.log" "${install[@]}" && exit 0

if [ -s "$work/failed-suites" ]; then
  skipped=$(awk '{print $2}' "$work/failed-suites" | sort -u | tr '\n' ' ')
  say "the install could not resolve the packages; trying once more without the suites whose index failed: ${skipped% }"
  filter_sources "$work/sources" "$work/failed-suites"
  filtered=(-o "Dir::Etc::SourceParts=$work/sources" -o Dir::Etc::SourceList=/dev/null)
  apt_run "$work/update-filtered.log" "${filtered[@]}" update -qq ||
    say "warning: the filtered index update failed in part too"
  apt_run "$work/install.log" "${filtered[@]}" "${install[@]}" && exit 0
fi

say "could not install: ${need[*]}"
say "apt-get said:"
grep -E '^(E:| )' "$work/install.log" | tail -n 20 | sed 's/^/  /' >&2
exit 1
