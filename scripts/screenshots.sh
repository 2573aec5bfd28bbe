#!/usr/bin/env bash
# Saves a PNG screenshot of each page of the organiser holding sample
# records: notes.png, phonebook.png and passwords.png (the tabs' order on
# screen). Runs the built ondrel.exe under Wine in a virtual display.
#
#   scripts/screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
#
# BUILD_DIR is a Windows build (default: the one that runs here, build/win or
# build/win64, see wine-arch.sh) holding dist/ondrel.exe,
# dist/ondrel.lng and tests/pages/screenshot_driver.exe; OUTPUT_DIR defaults
# to BUILD_DIR/screenshots.
set -euo pipefail
ondrel_root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/wine-arch.sh
. "$ondrel_root/scripts/wine-arch.sh"
build=$(cd "${1:-$ondrel_win_build}" && pwd)
out=${2:-$build/screenshots}
driver="$build/tests/pages/screenshot_driver.exe"
for needed in "$build/dist/ondrel.exe" "$build/dist/ondrel.lng" "$driver"; do
  [ -f "$needed" ] || { echo "missing $needed (build the Windows targets first)" >&2; exit 1; }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/dist/ondrel.exe" "$build/dist/ondrel.lng" "$work/"

# Sample records, written as the store writes them: UTF-16LE, no byte-order
# mark, one line of tagged text.
sample() {
  local kind=$1 modified=$2; shift 2
  printf '<Document><DocumentType>%s</DocumentType><CreateDate>%s</CreateDate><ModifyDate>%s</ModifyDate>' \
    "$kind" "$modified" "$modified"
  while [ $# -ge 2 ]; do printf '<%s>%s</%s>' "$1" "$2" "$1"; shift 2; done
  printf '</Document>'
}
{
  printf '<Database>'
  sample NoteDocument "05.03.2024 09:12" Subject "Shopping" Keywords "home" \
    Body "milk, bread, apples"
  sample NoteDocument "17.06.2024 14:30" Subject "Car service" Keywords "car garage" \
    Body "Book the yearly service before the long drive in July."
  sample NoteDocument "02.09.2024 08:05" Subject "Holiday plans" Keywords "travel" \
    Body "Train to the coast on Friday, back on Sunday evening."
  sample PasswordDocument "11.01.2024 10:00" Site "mail.example.org" Login "alice" \
    Password "correct horse" Body "personal mail"
  sample PasswordDocument "12.02.2024 11:00" Site "bank.example.com" Login "alice.smith" \
    Password "battery staple"
  sample PhoneDocument "03.04.2024 12:00" FirstName "Ann" LastName "Lee" NicName "Annie" \
    Email "ann@example.org" HomePhone "555-0100" Mobile "555-0150" Body "Met at the book club."
  sample PhoneDocument "04.05.2024 13:00" FirstName "Robert" LastName "Brown" NicName "Bob" \
    Email "bob@example.org" HomePhone "555-0101" CompanyName "Acme" BirthDay "12 May"
  printf '</Database>'
} | iconv -f UTF-8 -t UTF-16LE >"$work/ondrel.db"

export WINEPREFIX=${WINEPREFIX:-$ondrel_root/build/screenshots-prefix-$ondrel_wine_bits}
# shellcheck source=scripts/wine-env.sh
. "$ondrel_root/scripts/wine-env.sh"
trap 'ondrel_wine_stop; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
ondrel_wine_start || true  # a server already running is fine
# No window manager runs here: Wine then draws the frames itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true

(cd "$work" && wine ./ondrel.exe </dev/null >/dev/null 2>&1) &
organiser=$!
status=0
for page in 1:notes 3:phonebook 2:passwords; do
  index=${page%%:*}
  name=${page#*:}
  if ! geometry=$(wine "$driver" tab "$index" </dev/null 2>/dev/null | tr -d '\r'); then
    echo "could not reach the organiser's window" >&2
    status=1
    break
  fi
  read -r x y width height <<<"$geometry"
  sleep 1  # let the page paint
  import -window root -crop "${width}x${height}+${x}+${y}" +repage "$out/$name.png"
  echo "$out/$name.png"
done
wine "$driver" close </dev/null >/dev/null 2>&1 || true
wait "$organiser" || true
exit $status
