#!/usr/bin/env bash
# The layering check against small trees: each case writes one file with
# one include into an otherwise empty tree and says whether the check must
# pass. Also runs the check on the project itself.
set -uo pipefail
project=$(cd "$(dirname "$0")/../.." && pwd)
check=$project/scripts/check-layers.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# file | include line | expected exit code
cases=(
  'organiser/pages/a.cpp|#include "organiser/shell/main_window.h"|1'
  'organiser/pages/a.cpp|#include "organiser/win32/focus_ring.h"|0'
  'organiser/pages/a.cpp|#include "organiser/platform/platform.h"|1'
  'organiser/store/a.h|#include "organiser/platform/platform.h"|1'
  'organiser/store/a.h|#include "organiser/text/language_table.h"|1'
  'organiser/store/a.cpp|#include <windows.h>|1'
  'organiser/text/a.cpp|  #  include   <commctrl.h>|1'
  'organiser/platform/a.cpp|#include <windows.h>|0'
  'organiser/text/a.cpp|#include "organiser/win32/wide_text.h"|1'
  'organiser/win32/a.h|#include "organiser/pages/page.h"|1'
  'organiser/platform/a.cpp|#include "organiser/win32/kernel_handle.h"|0'
  'organiser/win32/a.h|#include "organiser/platform/platform.h"|1'
  'organiser/shell/a.cpp|#include "organiser/pages/pages.h"|0'
  'organiser/shell/a.cpp|#include "organiser/platform/platform.h"|0'
  'installer/a.cpp|#include "uninstall/folder_tree.h"|1'
  'installer/a.cpp|#include "wide_path.h"|0'
  'installer/a.cpp|#include "b.h"|0'
  'installer/a.cpp|#include "nowhere.h"|1'
  'setup/a.cpp|#include "organiser/win32/unique_handle.h"|0'
  'setup/a.cpp|#include "installer/b.h"|1'
  'installer/a.cpp|#include "product_version.h"|0'
  'organiser/shell/a.cpp|#include "product_version.h"|0'
  'organiser/pages/a.cpp|#include "product_version.h"|1'
  'organiser/store/a.cpp|#include "product_version.h"|1'
)
for entry in "${cases[@]}"; do
  IFS='|' read -r file include expected <<<"$entry"
  tree=$work/tree
  rm -rf "$tree"
  mkdir -p "$tree/$(dirname "$file")" "$tree/setup" "$tree/installer" "$tree/cmake"
  printf '%s\n' "$include" >"$tree/$file"
  : >"$tree/setup/wide_path.h"
  : >"$tree/installer/b.h"
  : >"$tree/cmake/product_version.h.in"
  output=$(bash "$check" "$tree" 2>&1)
  code=$?
  if [ "$code" != "$expected" ]; then
    echo "FAIL: $file with '$include': exit $code, expected $expected"
    echo "$output" | sed 's/^/  /'
    failures=$((failures + 1))
  fi
done

if ! output=$(bash "$check" "$project" 2>&1); then
  echo "FAIL: the project's own includes:"
  echo "$output" | sed 's/^/  /'
  failures=$((failures + 1))
fi

echo "${#cases[@]} cases and the project: $failures failed"
[ "$failures" -eq 0 ]
