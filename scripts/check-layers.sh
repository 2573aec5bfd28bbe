#!/usr/bin/env bash
# Checks that every #include of the programs' code points down the layers:
#
#   organiser/store      portable; the seam's interfaces; nothing of ours
#   organiser/win32      handle owners, fonts, window text, focus ring
#                                                       -> store
#   organiser/platform   implements the seam            -> store, win32 (owners)
#   organiser/text       the language table, portable   -> store
#   organiser/pages      the record pages               -> win32, text, store
#   organiser/shell      the program: composes the pages -> everything above
#   setup                shared by installer, uninstall -> organiser/win32
#   installer, uninstall                                -> setup, organiser/win32
#
# A quoted include is placed by its path from the project root; a bare name
# ("folder_tree.h") is looked up beside the including file, then in setup/
# (whose folder the installer and uninstaller have on their include path).
# A bare name the build makes from cmake/NAME.in (the product version) is
# placed in "generated", which the Windows layers may include.
# The portable layers include no Win32 header either.
#   check-layers.sh [ROOT]    prints every wrong include; exits 1 if any
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

# The folders each layer may include from, its own included.
allowed_of() {
  case $1 in
    organiser/store) echo "organiser/store" ;;
    organiser/platform) echo "organiser/platform organiser/win32 organiser/store" ;;
    organiser/text) echo "organiser/text organiser/store" ;;
    organiser/win32) echo "organiser/win32 organiser/store" ;;
    organiser/pages) echo "organiser/pages organiser/win32 organiser/text organiser/store" ;;
    organiser/shell) echo "organiser/shell organiser/pages organiser/win32 organiser/text organiser/platform organiser/store generated" ;;
    setup) echo "setup organiser/win32 organiser/store generated" ;;
    installer | uninstall) echo "$1 setup organiser/win32 organiser/store generated" ;;
  esac
}
layers="organiser/store organiser/platform organiser/text organiser/win32 organiser/pages organiser/shell setup installer uninstall"
portable="organiser/store organiser/text"
win32_headers="windows.h|commctrl.h|shlobj.h|objbase.h|objidl.h|shellapi.h|shlwapi.h|winreg.h|wingdi.h|winuser.h|winbase.h"

problems=0
report() {
  echo "$1"
  problems=$((problems + 1))
}

for layer in $layers; do
  [ -d "$layer" ] || continue
  allowed=" $(allowed_of "$layer") "
  while IFS= read -r -d '' file; do
    while IFS=: read -r line text; do
      if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
        target=${BASH_REMATCH[1]}
        if [[ $target == */* ]]; then
          folder=${target%/*}
        elif [ -e "$(dirname "$file")/$target" ]; then
          folder=$(dirname "$file")
        elif [ -e "setup/$target" ]; then
          folder=setup
        elif [ -e "cmake/$target.in" ]; then
          folder=generated
        else
          report "$file:$line: cannot place \"$target\""
          continue
        fi
        [[ $allowed == *" $folder "* ]] ||
          report "$file:$line: $layer may not include $target ($folder is not below it)"
      elif [[ " $portable " == *" $layer "* && $text =~ \<($win32_headers)\> ]]; then
        report "$file:$line: the portable $layer includes the Win32 header ${BASH_REMATCH[1]}"
      fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file")
  done < <(find "$layer" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done

if [ "$problems" -gt 0 ]; then
  echo "$problems include(s) point up or across the layers"
  exit 1
fi
echo "layers: every include points down"
