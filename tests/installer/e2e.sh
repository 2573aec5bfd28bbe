#!/usr/bin/env bash
# End-to-end scenarios of the installer and the uninstaller. Each scenario
# runs in a fresh Wine prefix of its own (a copy of one template prefix
# booted once per test run), with its own HOME (Wine's desktop folder links to
# it), and removes its prefix when done. The prefix's user has a name with
# letters outside the ANSI code page, and the distribution folders scenarios
# copy are named so too: every path setup meets holds such letters.
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
# shellcheck source=scripts/wine-display.sh
. "$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-display.sh"
export WINEDEBUG=-all
# Host names in UTF-8, so that Wine gives the programs the same folder names
# in every run (the ANSI code page is then 1252).
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
# Wine names the user's profile after USER, when it makes the prefix and at
# every start: "Łukasz" and "user" in Chinese, none of it in code page 1252.
export USER='Łukasz用户'
# A download folder as such a user names it.
downloads_name='Downloads Łukasz Загрузки 下载'

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
# Sets or deletes a registry value with Wine's reg. Now and then Wine gives
# up before reg runs (it exits non-zero at once, having changed nothing),
# which would leave a scenario running on the value of the one before: such
# a start is tried again, and a value that cannot be set fails the scenario.
reg_run() { # reg_run add|delete KEY ARGUMENT...
  local attempt
  for attempt in 1 2 3; do
    wine reg "$@" /f </dev/null >/dev/null 2>&1 && return 0
  done
  check 1 "wine reg $* ran"
}
reg_set() { reg_run add "$@"; }
reg_unset() { reg_run delete "$@"; }
expect_exists() { [ -e "$1" ]; check $? "$2"; }
expect_missing() { [ ! -e "$1" ] && [ ! -L "$1" ]; check $? "$2"; }

ensure_display() {
  [ -n "${DISPLAY:-}" ] && return
  ondrel_start_display 141 190 1024x768
  xvfb_pid=$ondrel_xvfb_pid
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
  [ -d "$WINEPREFIX/drive_c/users/$USER" ]
  check $? "its user's profile is C:\\users\\$USER"
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
  ondrel_start_wineserver
  drive_c=$WINEPREFIX/drive_c
  install_dir="$drive_c/Program Files/ondrel"
  user_dir=$(find "$drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
  programs_lnk="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Ondrel.lnk"
  desktop_lnk="$HOME/Ondrel.lnk"
}

# The Windows path of a host path (Wine's drive Z: is the host's root).
windows_path() { local p=$1; echo "Z:${p//\//\\}"; }

# reg writes to a pipe in the OEM code page, 437 under this locale.
reg_value() { # reg_value KEY NAME
  wine reg query "$1" /v "$2" </dev/null 2>/dev/null | iconv -f CP437 -t UTF-8 | tr -d '\r' |
    sed -n "s/^    $2    REG_[A-Z_]*    //p"
}
reg_key_exists() { wine reg query "$1" </dev/null >/dev/null 2>&1; }

# The uninstall entry's values as Windows gives them to a program, one line
# each ("NAME TYPE VALUE"), or "no uninstall entry"; and one value of such a
# list.
entry_values() { wine "$probe" entry </dev/null | tr -d '\r'; }
entry_value() { # entry_value VALUES NAME
  sed -n "s/^$2 //p" <<<"$1"
}

require_dist() {
  local name
  for name in installer.exe uninstall.exe license.txt ondrel.exe ondrel.lng; do
    if [ ! -f "$dist/$name" ]; then
      echo "skipped: $dist/$name has not been built"
      exit 77
    fi
  done
}

# Starts installer.exe of $installer_dir (the dist folder unless a scenario
# sets another) in the background with the given current directory.
start_installer() { # start_installer CWD
  (cd "$1" && exec timeout 120 wine "$(windows_path "${installer_dir:-$dist}/installer.exe")" \
    </dev/null >/dev/null 2>&1) &
  installer_pid=$!
}

# Runs the installer with the given current directory and clicks a button
# through the probe; the licence box must show the given licence file.
run_installer() { # run_installer CWD agree|cancel LICENCE
  start_installer "$1"
  wine "$probe" click "$2" "$(windows_path "$3")" </dev/null
  check $? "the installer window passed its checks and took the click"
  wait "$installer_pid"
  expect_equal "$?" 0 "installer exit code"
}

# Runs the installer, clicks Agree and expects its message box, which must
# read as the probe's box options and texts say; answers it and expects the
# exit code given.
run_installer_answering() { # run_installer_answering EXIT-CODE BOX-ARGUMENT...
  local expected_exit=$1; shift
  start_installer "${installer_dir:-$dist}"
  wine "$probe" click agree "$(windows_path "${installer_dir:-$dist}/license.txt")" </dev/null
  check $? "the installer window passed its checks and took the click"
  wine "$probe" message-box "$@" </dev/null
  check $? "the installer's message box read as expected and took the answer"
  wait "$installer_pid"
  expect_equal "$?" "$expected_exit" "installer exit code"
}

# An installation that did not happen: the box names each of the given texts,
# the exit code is 1 and no organiser was started.
run_installer_with_message() { # run_installer_with_message TEXT...
  run_installer_answering 1 "$@"
  wine "$probe" no-organiser </dev/null
  check $? "the organiser was not started"
}

# Every folder and file of drive C outside the Windows folder and of HOME
# (the desktop), each file with a checksum of its bytes, and the uninstall
# key's values: what "nothing was changed" compares.
system_state() {
  (cd "$drive_c" && { find . ! -path './windows/*' -type d; find . ! -path './windows/*' -type f -exec md5sum {} +; } | sort)
  (cd "$HOME" && { find . -type d; find . -type f -exec md5sum {} +; } | sort)
  entry_values | sort
}
expect_unchanged() { # expect_unchanged STATE-BEFORE MESSAGE
  local changes
  changes=$(diff <(echo "$1") <(system_state) | grep '^[<>]')
  [ -z "$changes" ] || echo "$changes" | head -n 20
  [ -z "$changes" ]
  check $? "$2"
}

# A copy of the distribution folder in the scenario's folder, named as a
# download folder of this user, for scenarios that take files away or run
# the installer or the uninstaller from there. Sets installer_dir.
copy_dist() {
  installer_dir="$case_dir/$downloads_name"
  mkdir -p "$installer_dir"
  cp "$dist/installer.exe" "$dist/uninstall.exe" "$dist/license.txt" "$dist/ondrel.exe" \
    "$dist/ondrel.lng" "$installer_dir/"
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

# The size Windows shows for the installation: the shipped files' bytes in
# KiB, a part of one counted whole.
installed_kib() {
  local bytes
  bytes=$(cat "$dist/license.txt" "$dist/ondrel.lng" "$dist/uninstall.exe" "$dist/ondrel.exe" | wc -c)
  echo $(((bytes + 1023) / 1024))
}

# A text the build puts into product_version.h.
product_text() { # product_text MACRO
  sed -n "s/^#define $1 \"\(.*\)\"\$/\1/p" "$dist/../generated/product_version.h"
}

# Every value of the uninstall entry of an installation into FOLDER (with its
# trailing backslash), read as Windows gives it to a program.
check_uninstall_entry() { # check_uninstall_entry [FOLDER]
  local folder=${1:-'C:\Program Files\ondrel\'} values command
  values=$(entry_values)
  command="${folder}uninstall.exe"
  [[ $folder == *' '* ]] && command="\"$command\""
  expect_equal "$(entry_value "$values" DisplayName)" "REG_SZ Ondrel" "DisplayName"
  expect_equal "$(entry_value "$values" UninstallString)" "REG_SZ $command" \
    "UninstallString (quoted where it holds a blank)"
  expect_equal "$(entry_value "$values" Path)" "REG_SZ $folder" "Path"
  expect_equal "$(entry_value "$values" DisplayIcon)" "REG_SZ ${folder}ondrel.exe,0" "DisplayIcon"
  expect_equal "$(entry_value "$values" DisplayVersion)" "REG_SZ $(product_text ONDREL_VERSION_TEXT)" \
    "DisplayVersion"
  expect_equal "$(entry_value "$values" Publisher)" "REG_SZ $(product_text ONDREL_PUBLISHER)" "Publisher"
  expect_equal "$(entry_value "$values" InstallLocation)" "REG_SZ $folder" "InstallLocation"
  expect_equal "$(entry_value "$values" EstimatedSize)" "REG_DWORD $(installed_kib)" "EstimatedSize in KiB"
  expect_equal "$(entry_value "$values" NoModify)" "REG_DWORD 1" "NoModify"
  expect_equal "$(entry_value "$values" NoRepair)" "REG_DWORD 1" "NoRepair"
  expect_equal "$(wc -l <<<"$values")" 10 "the entry holds these ten values"
}

# A shortcut to the organiser installed into FOLDER, as the shell reads it
# and, for the default folder, as lnkinfo reads the file.
check_shortcut() { # check_shortcut FILE ICON-INDEX WHERE [FOLDER]
  local folder=${4:-'C:\Program Files\ondrel\'} read
  expect_exists "$1" "$3 shortcut Ondrel.lnk exists"
  [ -e "$1" ] || return
  read=$(wine "$probe" shortcut "$(windows_path "$1")" </dev/null | tr -d '\r')
  expect_equal "$(sed -n 's/^target //p' <<<"$read")" "${folder}ondrel.exe" "$3 shortcut target"
  expect_equal "$(sed -n 's/^working folder //p' <<<"$read")" "$folder" "$3 shortcut working folder"
  expect_equal "$(sed -n 's/^description //p' <<<"$read")" 'Ondrel' "$3 shortcut description"
  expect_equal "$(sed -n 's/^icon //p' <<<"$read")" "${folder}ondrel.exe,$2" "$3 shortcut icon"
  expect_equal "$(sed -n 's/^extracted icon //p' <<<"$read")" yes "$3 shortcut icon shown"
  [ $# -ge 4 ] && return
  expect_equal "$(lnk_field "$1" 'Local path')" 'C:\Program Files\ondrel\ondrel.exe' "$3 shortcut target in the file"
  expect_equal "$(lnk_field "$1" 'Working directory')" 'C:\Program Files\ondrel\' "$3 shortcut working folder in the file"
  expect_equal "$(lnk_field "$1" 'Icon location')" 'C:\Program Files\ondrel\ondrel.exe' "$3 shortcut icon file in the file"
  expect_equal "$(lnk_field "$1" 'Icon index')" "$2" "$3 shortcut icon index in the file"
}

check_full_installation() { # check_full_installation [FOLDER]
  check_installed_files
  check_uninstall_entry "$@"
  check_shortcut "$programs_lnk" 0 "Programs menu" "$@"
  check_shortcut "$desktop_lnk" 9 "desktop" "$@"
}

check_nothing_installed() {
  expect_missing "$install_dir" "no installation folder"
  expect_equal "$(entry_values)" "no uninstall entry" "no uninstall key, none of its values"
  expect_missing "$programs_lnk" "no Programs menu shortcut"
  expect_missing "$desktop_lnk" "no desktop shortcut"
}

# Puts the shipped files into the installation folder and writes the uninstall
# key by hand: a quick stand-in for a full installation where the installer's
# own work is not under test.
place_installation() { # place_installation PATH-VALUE
  mkdir -p "$install_dir"
  cp "$dist/uninstall.exe" "$dist/license.txt" "$install_dir/"
  reg_set "$uninstall_key" /v DisplayName /d Ondrel
  reg_set "$uninstall_key" /v UninstallString /d '"C:\Program Files\ondrel\uninstall.exe"'
  reg_set "$uninstall_key" /v Path /d "$1"
}

run_registered_uninstaller() { # run_registered_uninstaller CWD [MUST-GO...]
  local cwd=$1; shift
  local command_line
  command_line=$(entry_value "$(entry_values)" UninstallString)
  command_line=${command_line#REG_SZ }
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
  reg_set "$current_version_key" /v ProgramFilesDir /d 'C:\Program Files\'
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

# Started with another current directory (as "Run as administrator" starts
# it in the system folder), the installer still shows its licence and
# installs whole from its own folder.
scenario_other_directory() {
  require_dist
  new_prefix other-directory
  mkdir -p "$case_dir/elsewhere"
  echo "not the licence" >"$case_dir/elsewhere/license.txt"
  run_installer "$case_dir/elsewhere" agree "$dist/license.txt"
  close_organiser
  check_full_installation
  run_installer "$drive_c/windows/system32" cancel "$dist/license.txt"
}

# Without its licence the installer says so, naming the licence in its
# download folder with every letter, and offers no Agree; Cancel ends it with
# exit code 1 and nothing installed.
scenario_missing_licence() {
  require_dist
  new_prefix missing-licence
  copy_dist
  rm "$installer_dir/license.txt"
  start_installer "$drive_c/windows/system32"
  wine "$probe" click cancel --unreadable "$(windows_path "$installer_dir")\license.txt" \
    "could not be read" "Ondrel can only be installed with its licence" </dev/null
  check $? "the licence box said why there is no licence and offered no Agree"
  wait "$installer_pid"
  expect_equal "$?" 1 "installer exit code"
  check_nothing_installed
}

# A distribution folder that lacks a shipped file: the installer names it,
# and the folder with every letter, and changes nothing at all.
scenario_missing_files() {
  require_dist
  new_prefix missing-files
  local name before
  for name in ondrel.exe ondrel.lng; do
    copy_dist
    rm "$installer_dir/$name"
    before=$(system_state)
    run_installer_with_message "Ondrel was not installed: nothing was changed" \
      "could not be read beside the installer in$(windows_path "$installer_dir")\\:" "$name: "
    check_nothing_installed
    expect_unchanged "$before" "without $name nothing was changed"
  done
}

scenario_long_program_files() {
  [ -f "$dist/installer.exe" ] || { echo "skipped: no installer.exe"; exit 77; }
  new_prefix long-program-files
  local long_value="C:\\$(printf 'p%.0s' $(seq 1 3997))"
  reg_set "$current_version_key" /v ProgramFilesDir /d "$long_value"
  expect_equal "$(reg_value "$current_version_key" ProgramFilesDir | wc -c)" 4001 \
    "ProgramFilesDir holds 4,000 characters"
  local before after
  before=$(cd "$drive_c" && find . ! -path './windows/*' | sort)
  run_installer_with_message "Ondrel was not installed" "would be 4021 characters long" "ondrel\\uninstall.exe"
  after=$(cd "$drive_c" && find . ! -path './windows/*' | sort)
  check_nothing_installed
  expect_equal "$(diff <(echo "$before") <(echo "$after") | grep -c '^>')" 0 \
    "no file or folder was made outside the Windows folder"
}

# Installation folders whose longest file would not fit a path: nothing at
# all is installed and the user is told; one whose files just fit is
# installed whole and removed again.
scenario_long_installation_folders() {
  require_dist
  new_prefix long-installation-folders
  local length first second parent folder
  first=$(printf 'a%.0s' $(seq 1 100))
  for length in 248 251 246; do
    # The folder is parent + "\ondrel\"; the parent exists already, since
    # only the last level is created.
    second=$(printf 'b%.0s' $(seq 1 $((length - 112))))
    parent="C:\\$first\\$second"
    mkdir -p "$drive_c/$first/$second"
    reg_set "$current_version_key" /v ProgramFilesDir /d "$parent"
    folder="$parent\\ondrel\\"
    expect_equal "${#folder}" "$length" "the installation folder is $length characters long"
    install_dir="$drive_c/$first/$second/ondrel"
    if [ "$length" -ne 246 ]; then
      local before after
      before=$(cd "$drive_c" && find . ! -path './windows/*' | sort)
      run_installer_with_message "Ondrel was not installed" "${folder}uninstall.exe"
      after=$(cd "$drive_c" && find . ! -path './windows/*' | sort)
      check_nothing_installed
      expect_equal "$(diff <(echo "$before") <(echo "$after") | grep -c '^[<>]')" 0 \
        "$length characters: no file or folder was made or removed"
    else
      run_installer "$dist" agree "$dist/license.txt"
      close_organiser
      check_installed_files
      expect_equal "$(reg_value "$uninstall_key" Path)" "$folder" "Path of the $length-character folder"
      expect_exists "$programs_lnk" "Programs menu shortcut made"
      expect_exists "$desktop_lnk" "desktop shortcut made"
      run_registered_uninstaller 'C:\windows' "${folder}uninstall.exe" "$folder"
      expect_missing "$install_dir" "the $length-character installation is removed again"
      expect_missing "$programs_lnk" "the Programs menu shortcut is gone"
      expect_missing "$desktop_lnk" "the desktop shortcut is gone"
    fi
  done
}

# A program-files folder whose name holds a no-break space, a blank, "&", "^",
# "!", accented letters of code page 1252 and letters of none ("Ł", Cyrillic,
# Chinese), given as a REG_EXPAND_SZ value: installed whole (every value of
# the entry and both shortcuts with all their letters), then removed through
# the real command interpreter, which gets its command in UTF-16; and the
# self-deletion command run with the long names, as on a volume without
# short names.
scenario_special_characters() {
  require_dist
  new_prefix special-characters
  # "My", a no-break space, "Apps & Co^!", "Été", then the download folder's words.
  local name
  name="My$(printf '\xc2\xa0')Apps & Co^!Été ${downloads_name#Downloads }"
  mkdir -p "$drive_c/$name"
  reg_set "$current_version_key" /v ProgramFilesDir /t REG_EXPAND_SZ /d "%SystemDrive%\\$name"
  install_dir="$drive_c/$name/ondrel"
  local folder="C:\\$name\\ondrel\\"
  run_installer "$dist" agree "$dist/license.txt"
  close_organiser
  check_full_installation "$folder"
  printf '<Database></Database>' >"$install_dir/ondrel.db"
  run_registered_uninstaller 'C:\windows' "${folder}uninstall.exe" "${folder%\\}"
  expect_missing "$install_dir" "the installation folder and its uninstaller are gone"
  expect_exists "$drive_c/$name" "the program-files folder stays"
  expect_missing "$programs_lnk" "the Programs menu shortcut is gone"

  mkdir -p "$install_dir"
  cp "$dist/uninstall.exe" "$install_dir/"
  wine "$probe" self-delete-while-held "${folder}uninstall.exe" "${folder%\\}" 1500 long-names </dev/null
  check $? "with long names the held file went after its release, and its folder with it"
  expect_missing "$install_dir" "the folder is gone"
  expect_exists "$drive_c/$name" "its parent stays"
}

# Steps that fail are reported, and nothing is made that points at a program
# that is not there: a folder that cannot be created (a file stands where its
# parent should be), then an "ondrel.exe" that cannot be copied (a folder
# stands in its place).
scenario_install_failures() {
  require_dist
  new_prefix install-failures
  echo keep >"$drive_c/blocker"
  reg_set "$current_version_key" /v ProgramFilesDir /d 'C:\blocker\Programs'
  run_installer_with_message 'The folder C:\blocker\Programs\ondrel\ could not be created'
  check_nothing_installed
  expect_equal "$(cat "$drive_c/blocker")" keep "the file in the folder's way is untouched"

  reg_set "$current_version_key" /v ProgramFilesDir /d 'C:\Program Files'
  mkdir -p "$install_dir/ondrel.exe"
  local before
  before=$(system_state)
  run_installer_with_message 'ondrel.exe could not be copied to C:\Program Files\ondrel\' \
    'a folder of that name is in the way' 'back as it was before'
  expect_unchanged "$before" "the files copied before the failure are taken back, nothing else changed"
  check_nothing_installed_but_the_folder
}

# The installation folder alone, as it was before a run that was taken back.
check_nothing_installed_but_the_folder() {
  expect_equal "$(entry_values)" "no uninstall entry" "no uninstall key, none of its values"
  expect_missing "$programs_lnk" "no Programs menu shortcut"
  expect_missing "$desktop_lnk" "no desktop shortcut"
}

# A step that fails after others made changes takes them all back: on a
# fresh system (a folder named Ondrel.lnk on the desktop), and over an
# earlier installation whose desktop shortcut is held open, so that it cannot
# be moved aside: the earlier files, entry and shortcuts are as they were.
scenario_install_undone() {
  require_dist
  new_prefix install-undone
  mkdir "$desktop_lnk"
  local before
  before=$(system_state)
  run_installer_with_message 'The shortcut on the desktop could not be made' \
    'a folder of that name is in the way' 'back as it was before'
  expect_unchanged "$before" "a fresh installation is taken back whole"
  rmdir "$desktop_lnk"
  check_nothing_installed

  run_installer "$dist" agree "$dist/license.txt"
  close_organiser
  printf 'changed' >>"$install_dir/ondrel.lng"
  printf 'changed' >>"$install_dir/ondrel.exe"
  printf '<Database></Database>' >"$install_dir/ondrel.db"
  printf 'an earlier shortcut' >"$programs_lnk"
  # An entry unlike the one the installer writes: values changed, missing
  # (they must be missing again after the undo) and one of another program.
  reg_set "$uninstall_key" /v UninstallString /d 'C:\earlier\uninstall.exe'
  reg_unset "$uninstall_key" /v DisplayName
  reg_unset "$uninstall_key" /v DisplayIcon
  reg_unset "$uninstall_key" /v InstallLocation
  reg_set "$uninstall_key" /v EstimatedSize /t REG_DWORD /d 7
  reg_set "$uninstall_key" /v Comments /d 'not ours'
  before=$(system_state)
  wine "$probe" hold-during-installer "$(windows_path "$desktop_lnk")" "$(windows_path "$case_dir/held")" \
    </dev/null &
  local hold_pid=$!
  for _ in $(seq 1 600); do [ -e "$case_dir/held" ] || [ ! -d "/proc/$hold_pid" ] && break; sleep 0.05; done
  rm -f "$case_dir/held"
  run_installer_with_message 'The shortcut on the desktop could not be made' 'moved aside' \
    'back as it was before'
  wait "$hold_pid"
  check $? "the desktop shortcut was held while the installer ran"
  expect_unchanged "$before" "the earlier installation, entry and shortcuts are as they were"
}

# A fresh system on which the installer installed Ondrel and started the
# organiser, which still runs.
install_with_organiser_running() { # install_with_organiser_running NAME
  require_dist
  new_prefix "$1"
  run_installer "$dist" agree "$dist/license.txt"
  wine "$probe" wait-organiser </dev/null
  check $? "the installed organiser runs"
}

# The organiser runs while the installer is started again: the installer asks
# to close it; Cancel changes nothing, and once it is closed Retry installs.
scenario_install_while_organiser_runs() {
  install_with_organiser_running install-while-organiser-runs
  printf 'changed' >>"$install_dir/ondrel.lng"
  local before
  before=$(system_state)
  run_installer_answering 1 --answer=cancel "Ondrel is running" "close Ondrel first" \
    "Cancel ends the installation and changes nothing"
  expect_unchanged "$before" "Cancel changed nothing"
  wine "$probe" wait-organiser </dev/null
  check $? "the organiser still runs"
  run_installer_answering 0 --close-organiser --answer=retry "Ondrel is running"
  close_organiser
  check_full_installation
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

# The organiser runs, with the user's database, when the uninstaller starts:
# it asks to close Ondrel; Cancel removes nothing, and once it is closed
# Retry removes everything.
scenario_uninstall_while_organiser_runs() {
  install_with_organiser_running uninstall-while-organiser-runs
  printf '<Database></Database>' >"$install_dir/ondrel.db"
  local before
  before=$(system_state)
  run_registered_uninstaller 'C:\windows' --exit=1 --answer=cancel "--says=Ondrel is running" \
    "--says=Cancel ends the uninstallation and removes nothing" \
    '--keeps=C:\Program Files\ondrel\uninstall.exe'
  expect_unchanged "$before" "Cancel removed nothing"
  run_registered_uninstaller 'C:\windows' --close-organiser --answer=retry "--says=Ondrel is running" \
    'C:\Program Files\ondrel\uninstall.exe' 'C:\Program Files\ondrel'
  check_nothing_installed
}

# Installed from a download folder named in letters outside the code page,
# whole; the uninstaller of that folder removes the installation but keeps
# its own file: the next installation needs it.
scenario_uninstall_from_distribution() {
  require_dist
  new_prefix uninstall-from-distribution
  copy_dist
  run_installer "$dist" agree "$installer_dir/license.txt"
  close_organiser
  check_full_installation
  local own
  own="$(windows_path "$installer_dir")\uninstall.exe"
  (cd "$case_dir" && wine "$probe" run-uninstaller "\"$own\"" 'C:\windows' "--keeps=$own" \
    'C:\Program Files\ondrel' </dev/null)
  check $? "the distribution folder's uninstaller removed the installation and kept its own file"
  check_nothing_installed
  cmp -s "$dist/uninstall.exe" "$installer_dir/uninstall.exe"
  check $? "the distribution folder's uninstall.exe is whole"
}

# With nothing installed, or an entry without "Path", the uninstaller says
# so, removes nothing (its own file, the entry and the shortcuts included)
# and exits 1.
scenario_uninstall_nothing_installed() {
  require_dist
  new_prefix uninstall-nothing-installed
  mkdir -p "$drive_c/elsewhere"
  cp "$dist/uninstall.exe" "$drive_c/elsewhere/"
  echo keep >"$drive_c/elsewhere/keep.txt"
  local before
  before=$(system_state)
  (cd "$case_dir" && wine "$probe" run-uninstaller 'C:\elsewhere\uninstall.exe' 'C:\elsewhere' \
    --exit=1 "--says=Ondrel is not installed" "--says=Nothing was removed" \
    '--keeps=C:\elsewhere\uninstall.exe' </dev/null)
  check $? "with nothing installed the uninstaller says so and exits 1"
  expect_unchanged "$before" "with nothing installed nothing changed"

  run_installer "$dist" agree "$dist/license.txt"
  close_organiser
  printf '<Database></Database>' >"$install_dir/ondrel.db"
  reg_unset "$uninstall_key" /v Path
  before=$(system_state)
  run_registered_uninstaller 'C:\windows' --exit=1 "--says=does not say where Ondrel is installed" \
    "--says=Nothing was removed" '--keeps=C:\Program Files\ondrel\uninstall.exe'
  expect_unchanged "$before" "without Path the entry, the shortcuts and every file are kept"
}

# A "Path" that does not name a folder called ondrel, or names one only by a
# drive or share root, a relative path or "." and ".." components, is refused:
# the user is told, and the key, the shortcuts and every file (the
# uninstaller's own included) stay. Wine reaches no share, so
# "\\server\ondrel\" only shows that nothing else goes.
scenario_uninstall_foreign_path() {
  [ -f "$dist/uninstall.exe" ] || { echo "skipped: no uninstall.exe"; exit 77; }
  new_prefix uninstall-foreign-path
  mkdir -p "$drive_c/other/sub"
  echo keep >"$drive_c/sentinel.txt"
  echo keep >"$drive_c/other/keep.txt"
  echo keep >"$drive_c/other/sub/keep.txt"
  local value before
  # Beside damaged and foreign values: one too long for a file path (300
  # characters) and one too long for the registry read (2,000 characters),
  # both ending in ondrel.
  local too_long_for_path="C:\\$(printf 'x%.0s' $(seq 1 290))\\ondrel"
  local too_long_for_read="C:\\$(printf 'y%.0s' $(seq 1 1990))\\ondrel"
  for value in 'C:\' 'C:' 'C:\windows\' 'C:\other' 'C:\other\' '' 'ondrel' \
    'C:\Program Files\ondrel\..' 'C:\Program Files\..\Program Files\ondrel\' \
    '\\.\C:\Program Files\ondrel\' '\\server\ondrel\' "$too_long_for_path" "$too_long_for_read"; do
    local shown=$value
    [ ${#value} -gt 40 ] && shown="${value:0:12}...${value: -7} (${#value} characters)"
    place_installation "$value"
    printf '<Database></Database>' >"$install_dir/ondrel.db"
    before=$(system_state)
    run_registered_uninstaller 'C:\windows' --exit=1 "--says=Nothing was removed" \
      '--keeps=C:\Program Files\ondrel\uninstall.exe'
    expect_unchanged "$before" "Path '$shown': the key and every file are kept"
    rm -rf "$install_dir"
  done
}

# A link inside the installation folder, or in its place: the uninstaller
# never deletes what it points to. Wine 8 cannot make NTFS junctions, so a
# host symbolic link stands in where the probe's junction is refused (Wine
# shows such a link to a folder as a reparse point). Wine follows host links,
# so the uninstaller leaves them where they are: it says so, keeps its entry
# and its own file, and a second run after the links are gone removes the
# rest.
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
  run_registered_uninstaller 'C:\windows' --exit=1 "--says=Ondrel was not removed completely" \
    "--says=file-link" "--says=its entry is kept for that" '--keeps=C:\Program Files\ondrel\uninstall.exe' \
    'C:\Program Files\ondrel\ondrel.db'
  expect_missing "$install_dir/ondrel.db" "the installation's own files are deleted"
  expect_exists "$drive_c/keep/file.txt" "the junction's target keeps its files"
  expect_exists "$drive_c/keep/deep/file.txt" "the junction's target keeps its subfolders"
  expect_exists "$drive_c/keep-empty" "an empty folder behind a link stays"
  expect_exists "$drive_c/keep-file.txt" "a file behind a link stays"
  reg_key_exists "$uninstall_key"
  check $? "the uninstall key is kept while links stay"

  rm -f "$install_dir/junction" "$install_dir/file-link" "$install_dir/sub/empty-link"
  run_registered_uninstaller 'C:\windows' 'C:\Program Files\ondrel'
  reg_key_exists "$uninstall_key"
  [ $? -ne 0 ]; check $? "run again, the uninstaller removed the rest and the key"
  expect_exists "$drive_c/keep/deep/file.txt" "the targets are still whole"

  # The installation folder itself a link (as after the user moved it and
  # linked it back): it is not entered, and nothing behind it is deleted.
  mkdir -p "$drive_c/moved"
  echo keep >"$drive_c/moved/ondrel.db"
  ln -s "$drive_c/moved" "$install_dir"
  place_installation 'C:\Program Files\ondrel\'
  run_registered_uninstaller 'C:\windows' --exit=1 "--says=Ondrel was not removed completely" \
    '--keeps=C:\moved\ondrel.db' '--keeps=C:\moved\license.txt' '--keeps=C:\moved\uninstall.exe'
  reg_key_exists "$uninstall_key"
  check $? "the uninstall key is kept while the linked folder stays"
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
