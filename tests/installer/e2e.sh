#!/usr/bin/env bash
# End-to-end scenarios of the installer and the uninstaller. Each scenario
# runs in a fresh Wine prefix of its own (a copy of one template prefix
# booted once per test run), with its own HOME (Wine's desktop folder links to
# it), and removes its prefix when done.
#
#   e2e.sh make-template WORK
#   e2e.sh SCENARIO WORK DIST PROBE
#
# WORK holds the template and the scenarios' prefixes, DIST is the folder of
# shipped files, PROBE the installer_probe.exe that drives the windows.
# Prints one line per check; exits 0 when all pass, 1 on a failure and 77 when
# the dist folder lacks a file the scenario needs.
set -uo pipefail

command=${1:?usage: e2e.sh make-template WORK | e2e.sh SCENARIO WORK DIST PROBE}
work=${2:?work folder}

# A 32-bit prefix, or a 64-bit one where this machine runs no 32-bit code.
# shellcheck source=scripts/wine-arch.sh
. "$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-arch.sh"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ondrel'
current_version_key='HKLM\Software\Microsoft\Windows\CurrentVersion'
failures=0
xvfb_pid=
case_dir=

check() { # check CONDITION-STATUS MESSAGE
  if [ "$1" -eq 0 ]; then echo "ok $2"; else echo "FAIL $2"; failures=$((failures + 1)); fi
}
expect_equal() { # expect_equal ACTUAL EXPECTED MESSAGE
  [ "$1" == "$2" ]
  check $? "$3 (is '$1', expected '$2')"
}
expect_exists() { [ -e "$1" ]; check $? "$2"; }
expect_missing() { [ ! -e "$1" ] && [ ! -L "$1" ]; check $? "$2"; }

ensure_display() {
  [ -n "${DISPLAY:-}" ] && return
  local n
  for n in $(seq 141 190); do
    [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] && break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}

# Starts the prefix's server and services with their output going nowhere, so
# that they do not hold the test harness's pipe open.
start_wine() {
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

finish() {
  if [ -n "$case_dir" ] && [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k </dev/null >/dev/null 2>&1
    rm -rf "$case_dir"
  fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
}
trap finish EXIT

make_template() {
  local template=$work/template
  rm -rf "$template"
  mkdir -p "$template/home"
  export WINEPREFIX=$template/pfx HOME=$template/home
  ensure_display
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
  local programs
  programs=$(wine reg query "$current_version_key" /v ProgramFilesDir </dev/null 2>/dev/null | tr -d '\r')
  wineserver -k </dev/null >/dev/null 2>&1
  [ -f "$WINEPREFIX/system.reg" ]
  check $? "booted a $ondrel_wine_bits-bit template prefix"
  echo "$programs" | grep -q 'REG_SZ    C:\\Program Files$'
  check $? "its ProgramFilesDir is C:\\Program Files"
}

# A fresh prefix for this scenario: a copy of the template whose shell folder
# links point at the scenario's own HOME.
new_prefix() {
  case_dir=$work/cases/$1
  rm -rf "$case_dir"
  mkdir -p "$case_dir/home"
  cp -a "$work/template/pfx" "$case_dir/pfx"
  export WINEPREFIX=$case_dir/pfx HOME=$case_dir/home
  local link
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ] && [ "$(readlink "$link")" == "$work/template/home" ]; then
      ln -sfn "$HOME" "$link"
    fi
  done
  ensure_display
  start_wine
  drive_c=$WINEPREFIX/drive_c
  install_dir="$drive_c/Program Files/ondrel"
  user_dir=$(find "$drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
  programs_lnk="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Ondrel.lnk"
  desktop_lnk="$HOME/Ondrel.lnk"
}

# The Windows path of a host path (Wine's drive Z: is the host's root).
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }

reg_value() { # reg_value KEY NAME
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
    sed -n "s/^    $2    REG_[A-Z_]*    //p"
}
reg_key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }

require_dist() {
  local name
  for name in installer.exe uninstall.exe license.txt ondrel.exe ondrel.lng; do
    if [ ! -f "$dist/$name" ]; then
      echo "skipped: $dist/$name has not been built"
      exit 77
    fi
  done
}

# Runs the installer with the given current directory and clicks a button
# through the probe; passes the licence file the box must show, or none for
# an empty box. Sets installer_status.
run_installer() { # run_installer CWD agree|cancel [LICENCE]
  local cwd=$1 button=$2 licence=${3:-}
  (cd "$cwd" && exec timeout 120 wine "$(windows_path "$dist/installer.exe")" </dev/null >/dev/null 2>&1) &
  local installer_pid=$!
  if [ -n "$licence" ]; then
    wine "$probe" click "$button" "$(windows_path "$licence")" </dev/null
  else
    wine "$probe" click "$button" </dev/null
  fi
  check $? "the installer window passed its checks and took the click"
  wait "$installer_pid"
  installer_status=$?
  expect_equal "$installer_status" 0 "installer exit code"
}

close_organiser() {
  wine "$probe" close-organiser </dev/null
  check $? "the installed organiser was started, showed its window and closed"
}

lnk_field() { # lnk_field FILE FIELD
  lnkinfo "$1" 2>/dev/null | sed -n "s/^[[:space:]]*$2[[:space:]]*: //p" | head -n 1
}

check_installed_files() {
  local name
  for name in license.txt ondrel.lng uninstall.exe ondrel.exe; do
    cmp -s "$dist/$name" "$install_dir/$name"
    check $? "installed $name is byte-identical to dist"
  done
}

check_uninstall_entry() {
  expect_equal "$(reg_value "$uninstall_key" DisplayName)" "Ondrel" "DisplayName"
  expect_equal "$(reg_value "$uninstall_key" UninstallString)" \
    '"C:\Program Files\ondrel\uninstall.exe"' "UninstallString is quoted"
  expect_equal "$(reg_value "$uninstall_key" Path)" 'C:\Program Files\ondrel\' "Path"
}

check_shortcut() { # check_shortcut FILE ICON-INDEX WHERE
  expect_exists "$1" "$3 shortcut Ondrel.lnk exists"
  [ -e "$1" ] || return
  expect_equal "$(lnk_field "$1" 'Local path')" 'C:\Program Files\ondrel\ondrel.exe' "$3 shortcut target"
  expect_equal "$(lnk_field "$1" 'Working directory')" 'C:\Program Files\ondrel\' "$3 shortcut working folder"
  expect_equal "$(lnk_field "$1" 'Description')" 'Ondrel' "$3 shortcut description"
  expect_equal "$(lnk_field "$1" 'Icon location')" 'C:\Program Files\ondrel\ondrel.exe' "$3 shortcut icon file"
  expect_equal "$(lnk_field "$1" 'Icon index')" "$2" "$3 shortcut icon index"
}

check_full_installation() {
  check_installed_files
  check_uninstall_entry
  check_shortcut "$programs_lnk" 0 "Programs menu"
  check_shortcut "$desktop_lnk" 9 "desktop"
}

check_nothing_installed() {
  expect_missing "$install_dir" "no installation folder"
  reg_key_exists "$uninstall_key"
  [ $? -ne 0 ]; check $? "no uninstall key"
  expect_missing "$programs_lnk" "no Programs menu shortcut"
  expect_missing "$desktop_lnk" "no desktop shortcut"
}

# Puts the shipped files into the installation folder and writes the uninstall
# key by hand: a quick stand-in for a full installation where the installer's
# own work is not under test.
place_installation() { # place_installation PATH-VALUE
  mkdir -p "$install_dir"
  cp "$dist/uninstall.exe" "$dist/license.txt" "$install_dir/"
  wine reg add "$uninstall_key" /v DisplayName /d Ondrel /f </dev/null >/dev/null 2>&1
  wine reg add "$uninstall_key" /v UninstallString /d '"C:\Program Files\ondrel\uninstall.exe"' /f \
    </dev/null >/dev/null 2>&1
  wine reg add "$uninstall_key" /v Path /d "$1" /f </dev/null >/dev/null 2>&1
}

run_registered_uninstaller() { # run_registered_uninstaller CWD [MUST-GO...]
  local cwd=$1; shift
  local command_line
  command_line=$(reg_value "$uninstall_key" UninstallString)
  (cd "$case_dir" && wine "$probe" run-uninstaller "$command_line" "$cwd" "$@" </dev/null)
  check $? "ran the registered uninstall string $command_line from $cwd"
}

# --- installer scenarios ---------------------------------------------------

scenario_install() {
  require_dist
  new_prefix install
  run_installer "$dist" agree "$dist/license.txt"
  close_organiser
  check_full_installation
}

scenario_install_trailing_backslash() {
  require_dist
  new_prefix install-trailing-backslash
  wine reg add "$current_version_key" /v ProgramFilesDir /d 'C:\Program Files\' /f </dev/null >/dev/null 2>&1
  expect_equal "$(reg_value "$current_version_key" ProgramFilesDir)" 'C:\Program Files\' "ProgramFilesDir set"
  run_installer "$dist" agree "$dist/license.txt"
  close_organiser
  check_full_installation
}

scenario_reinstall() {
  require_dist
  new_prefix reinstall
  run_installer "$dist" agree "$dist/license.txt"
  close_organiser
  printf 'changed' >>"$install_dir/ondrel.lng"
  printf 'changed' >>"$install_dir/ondrel.exe"
  printf '<Database></Database>' >"$install_dir/ondrel.db"
  cp "$install_dir/ondrel.db" "$case_dir/ondrel.db.before"
  rm -f "$programs_lnk" "$desktop_lnk"
  run_installer "$dist" agree "$dist/license.txt"
  close_organiser
  check_full_installation
  cmp -s "$case_dir/ondrel.db.before" "$install_dir/ondrel.db"
  check $? "the user's ondrel.db is kept"
}

scenario_cancel() {
  [ -f "$dist/installer.exe" ] || { echo "skipped: no installer.exe"; exit 77; }
  new_prefix cancel
  run_installer "$dist" cancel "$dist/license.txt"
  check_nothing_installed
}

scenario_other_directory() {
  require_dist
  new_prefix other-directory
  mkdir -p "$case_dir/elsewhere"
  run_installer "$case_dir/elsewhere" agree
  close_organiser
  check_full_installation
}

scenario_long_program_files() {
  [ -f "$dist/installer.exe" ] || { echo "skipped: no installer.exe"; exit 77; }
  new_prefix long-program-files
  local long_value="C:\\$(printf 'p%.0s' $(seq 1 3997))"
  wine reg add "$current_version_key" /v ProgramFilesDir /d "$long_value" /f </dev/null >/dev/null 2>&1
  expect_equal "$(reg_value "$current_version_key" ProgramFilesDir | wc -c)" 4001 \
    "ProgramFilesDir holds 4,000 characters"
  local before after
  before=$(cd "$drive_c" && find . ! -path './windows/*' | sort)
  run_installer "$dist" agree "$dist/license.txt"
  after=$(cd "$drive_c" && find . ! -path './windows/*' | sort)
  check_nothing_installed
  expect_equal "$(diff <(echo "$before") <(echo "$after") | grep -c '^>')" 0 \
    "no file or folder was made outside the Windows folder"
}

# The shipped licence: plain ASCII (the same bytes in every ANSI code page)
# with CR LF line ends, since the licence box breaks lines only at CR LF.
scenario_licence_file() {
  local licence=$dist/license.txt
  [ -f "$licence" ] || { echo "skipped: no license.txt"; exit 77; }
  [ -s "$licence" ]; check $? "license.txt is not empty"
  expect_equal "$(LC_ALL=C tr -d '\r\n\t -~' <"$licence" | wc -c)" 0 "bytes outside printable ASCII, CR and LF"
  expect_equal "$(LC_ALL=C grep -c $'\r$' "$licence")" "$(wc -l <"$licence")" "lines ending in CR LF"
  expect_equal "$(LC_ALL=C tr -d '\n' <"$licence" | tr -d -c '\r' | wc -c)" "$(wc -l <"$licence")" \
    "CR only before LF"
  expect_equal "$(tail -c 2 "$licence" | od -An -c | tr -d ' ')" '\r\n' "the last line ends in CR LF"
}

# --- uninstaller scenarios -------------------------------------------------

uninstall_after_install() { # uninstall_after_install NAME CWD-KIND
  require_dist
  new_prefix "$1"
  run_installer "$dist" agree "$dist/license.txt"
  close_organiser
  check_full_installation
  printf '<Database></Database>' >"$install_dir/ondrel.db"
  mkdir -p "$install_dir/backup/old"
  echo x >"$install_dir/backup/old/notes.txt"
  local cwd='C:\windows'
  [ "$2" == inside ] && cwd='C:\Program Files\ondrel'
  run_registered_uninstaller "$cwd" 'C:\Program Files\ondrel\uninstall.exe' 'C:\Program Files\ondrel'
  expect_missing "$install_dir" "the installation folder with ondrel.db and a subfolder is gone"
  expect_missing "$programs_lnk" "the Programs menu shortcut is gone"
  expect_missing "$desktop_lnk" "the desktop shortcut is gone"
  reg_key_exists "$uninstall_key"
  [ $? -ne 0 ]; check $? "the uninstall key is gone"
  expect_exists "$drive_c/Program Files" "the program-files folder stays"
}

scenario_uninstall() { uninstall_after_install uninstall outside; }
scenario_uninstall_from_inside() { uninstall_after_install uninstall-from-inside inside; }

scenario_uninstall_nothing_installed() {
  [ -f "$dist/uninstall.exe" ] || { echo "skipped: no uninstall.exe"; exit 77; }
  new_prefix uninstall-nothing-installed
  mkdir -p "$drive_c/elsewhere"
  cp "$dist/uninstall.exe" "$drive_c/elsewhere/"
  echo keep >"$drive_c/elsewhere/keep.txt"
  local before after
  before=$(cd "$drive_c" && find . ! -path './windows/*' | sort)
  (cd "$case_dir" && wine "$probe" run-uninstaller 'C:\elsewhere\uninstall.exe' 'C:\elsewhere' \
    'C:\elsewhere\uninstall.exe' </dev/null)
  check $? "with nothing installed the uninstaller exits 0 and deletes its own file"
  after=$(cd "$drive_c" && find . ! -path './windows/*' | sort)
  expect_equal "$(diff <(echo "$before") <(echo "$after") | grep '^[<>]' | tr '\n' ' ')" \
    "< ./elsewhere/uninstall.exe " "nothing but its own file was deleted"
}

# A "Path" that does not name a folder called ondrel deletes no file: the key,
# the shortcuts and the uninstaller's own file still go.
scenario_uninstall_foreign_path() {
  [ -f "$dist/uninstall.exe" ] || { echo "skipped: no uninstall.exe"; exit 77; }
  new_prefix uninstall-foreign-path
  mkdir -p "$drive_c/other/sub"
  echo keep >"$drive_c/sentinel.txt"
  echo keep >"$drive_c/other/keep.txt"
  echo keep >"$drive_c/other/sub/keep.txt"
  local value before after
  # Beside damaged and foreign values: one too long for a file path (300
  # characters) and one too long for the registry read (2,000 characters),
  # both ending in ondrel.
  local too_long_for_path="C:\\$(printf 'x%.0s' $(seq 1 290))\\ondrel"
  local too_long_for_read="C:\\$(printf 'y%.0s' $(seq 1 1990))\\ondrel"
  for value in 'C:\' 'C:' 'C:\windows\' 'C:\other' 'C:\other\' '' 'ondrel' \
    'C:\Program Files\ondrel\..' "$too_long_for_path" "$too_long_for_read"; do
    local shown=$value
    [ ${#value} -gt 40 ] && shown="${value:0:12}...${value: -7} (${#value} characters)"
    place_installation "$value"
    printf '<Database></Database>' >"$install_dir/ondrel.db"
    before=$(cd "$drive_c" && find . | sort)
    run_registered_uninstaller 'C:\windows' 'C:\Program Files\ondrel\uninstall.exe'
    reg_key_exists "$uninstall_key"
    [ $? -ne 0 ]; check $? "Path '$shown': the uninstall key is gone"
    after=$(cd "$drive_c" && find . | sort)
    expect_equal "$(diff <(echo "$before") <(echo "$after") | grep '^<' | tr '\n' ' ')" \
      "< ./Program Files/ondrel/uninstall.exe " "Path '$shown': only the uninstaller's own file is deleted"
    rm -rf "$install_dir"
  done
}

# A link inside the installation folder: the uninstaller never deletes what it
# points to. Wine 8 cannot make NTFS junctions, so a host symbolic link stands
# in where the probe's junction is refused (Wine shows such a link to a folder
# as a reparse point).
scenario_uninstall_junction() {
  [ -f "$dist/uninstall.exe" ] || { echo "skipped: no uninstall.exe"; exit 77; }
  new_prefix uninstall-junction
  place_installation 'C:\Program Files\ondrel\'
  mkdir -p "$drive_c/keep/deep" "$drive_c/keep-empty"
  echo keep >"$drive_c/keep/file.txt"
  echo keep >"$drive_c/keep/deep/file.txt"
  echo keep >"$drive_c/keep-file.txt"
  mkdir -p "$install_dir/sub"
  wine "$probe" junction 'C:\Program Files\ondrel\junction' 'C:\keep' </dev/null
  local junction_status=$?
  if [ "$junction_status" -eq 3 ]; then
    echo "info using a host symbolic link instead"
    ln -s "$drive_c/keep" "$install_dir/junction"
  else
    check "$junction_status" "made an NTFS junction"
  fi
  ln -s "$drive_c/keep-empty" "$install_dir/sub/empty-link"
  ln -s "$drive_c/keep-file.txt" "$install_dir/file-link"
  printf '<Database></Database>' >"$install_dir/ondrel.db"
  run_registered_uninstaller 'C:\windows' 'C:\Program Files\ondrel\uninstall.exe' \
    'C:\Program Files\ondrel\ondrel.db'
  expect_missing "$install_dir/ondrel.db" "the installation's own files are deleted"
  expect_exists "$drive_c/keep/file.txt" "the junction's target keeps its files"
  expect_exists "$drive_c/keep/deep/file.txt" "the junction's target keeps its subfolders"
  expect_exists "$drive_c/keep-empty" "an empty folder behind a link stays"
  expect_exists "$drive_c/keep-file.txt" "a file behind a link stays"
}

# The self-deletion command waits while the file is in use and deletes file
# and folder once it is free.
scenario_self_delete_waits() {
  [ -f "$dist/uninstall.exe" ] || { echo "skipped: no uninstall.exe"; exit 77; }
  new_prefix self-delete-waits
  mkdir -p "$install_dir"
  cp "$dist/uninstall.exe" "$install_dir/"
  (cd "$case_dir" && wine "$probe" self-delete-while-held 'C:\Program Files\ondrel\uninstall.exe' \
    'C:\Program Files\ondrel' 2500 </dev/null)
  check $? "the held file survived the first attempt and went after its release"
  expect_missing "$install_dir" "the installation folder is gone"
}

# ---------------------------------------------------------------------------

if [ "$command" == make-template ]; then
  make_template
else
  dist=${3:?dist folder}
  probe=$(windows_path "${4:?probe}")
  function_name="scenario_${command//-/_}"
  if ! declare -F "$function_name" >/dev/null; then
    echo "unknown scenario $command" >&2
    exit 2
  fi
  started=$(date +%s)
  "$function_name"
  echo "info scenario $command took $(($(date +%s) - started)) s"
fi
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
