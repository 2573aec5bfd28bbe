#!/usr/bin/env bash
# Saves a PNG screenshot of each page of the organiser holding sample
# records: notes.png, phonebook.png and passwords.png (the tabs' order on
# screen); of the save question the organiser asks when a page with typed
# text is left (question.png); and of the installer (installer.png). Runs the
# built programs under Wine in a virtual display.
#
#   scripts/screenshots.sh [BUILD_DIR] [OUTPUT_DIR] [SCALE]
#
# BUILD_DIR is a Windows build (default: the one that runs here, build/win or
# build/win64, see wine-arch.sh) holding dist/ondrel.exe, dist/ondrel.lng,
# dist/installer.exe, dist/license.txt and tests/pages/screenshot_driver.exe;
# OUTPUT_DIR defaults to BUILD_DIR/screenshots. SCALE is the display's scale
# in percent (100 by default; 125, 150, 200, ...): the prefix is set to that
# DPI, the display is that much larger, and each file name says the scale
# (notes-150.png).
set -euo pipefail
ondrel_root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/wine-arch.sh
. "$ondrel_root/scripts/wine-arch.sh"
build=$(cd "${1:-$ondrel_win_build}" && pwd)
out=${2:-$build/screenshots}
scale=${3:-100}
[[ $scale =~ ^[1-9][0-9]*$ ]] || { echo "SCALE is a percentage, such as 150" >&2; exit 2; }
dpi=$((scale * 96 / 100))
suffix=$([ "$scale" = 100 ] && echo "" || echo "-$scale")
driver="$build/tests/pages/screenshot_driver.exe"
for needed in "$build/dist/ondrel.exe" "$build/dist/ondrel.lng" "$build/dist/installer.exe" \
  "$build/dist/license.txt" "$driver"; do
  [ -f "$needed" ] || { echo "missing $needed (build the Windows targets first)" >&2; exit 1; }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/setup"
cp "$build/dist/ondrel.exe" "$build/dist/ondrel.lng" "$work/"
cp "$build/dist/installer.exe" "$build/dist/license.txt" "$work/setup/"

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

# A prefix per scale: Wine gives every program the DPI its prefix is set to.
export WINEPREFIX=${WINEPREFIX:-$ondrel_root/build/screenshots-prefix-$ondrel_wine_bits$suffix}
# A display as much larger as the scale, so that the first window fits.
export ONDREL_SCREEN="$((1024 * scale / 100))x$((768 * scale / 100))"
# shellcheck source=scripts/wine-env.sh
. "$ondrel_root/scripts/wine-env.sh"
trap 'ondrel_wine_stop; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
ondrel_wine_start || true  # a server already running is fine
# No window manager runs here: Wine then draws the frames itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
# The DPI is read when the prefix's server starts.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
  /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -w </dev/null >/dev/null 2>&1 || true
ondrel_wine_start || true

# Runs the driver; its answer is a window's rectangle, cut out of the screen
# into file $1 once the window has painted.
shoot() {
  local file=$1 geometry x y width height
  shift
  geometry=$(wine "$driver" "$@" </dev/null 2>/dev/null | tr -d '\r') || return 1
  read -r x y width height <<<"$geometry"
  sleep 1  # let the window paint
  import -window root -crop "${width}x${height}+${x}+${y}" +repage "$file"
  echo "$file"
}

(cd "$work" && wine ./ondrel.exe </dev/null >/dev/null 2>&1) &
organiser=$!
status=0
for page in 1:notes 3:phonebook 2:passwords; do
  index=${page%%:*}
  name=${page#*:}
  if ! shoot "$out/$name$suffix.png" tab "$index"; then
    echo "could not reach the organiser's window" >&2
    status=1
    break
  fi
done
if [ "$status" = 0 ]; then
  wine "$driver" tab 1 </dev/null >/dev/null 2>&1 || true
  shoot "$out/question$suffix.png" question || { echo "no save question came" >&2; status=1; }
  wine "$driver" answer </dev/null >/dev/null 2>&1 || true
fi
wine "$driver" close </dev/null >/dev/null 2>&1 || true
wait "$organiser" || true

(cd "$work/setup" && wine ./installer.exe </dev/null >/dev/null 2>&1) &
installer=$!
shoot "$out/installer$suffix.png" installer || { echo "could not reach the installer's window" >&2; status=1; }
wine "$driver" cancel </dev/null >/dev/null 2>&1 || true
wait "$installer" || true
exit $status
