#!/usr/bin/env bash
# Checks in the built files what Windows reads from each shipped program
# before it runs it, and how it was linked:
#   - its resources: the manifest (type 24, id 1), the version block (type 16)
#     and at least the given number of icon groups (type 14);
#   - the run level its manifest asks for: "requireAdministrator" for setup,
#     none at all for the organiser ("none");
#   - address-space randomisation and no-execute data (DYNAMIC_BASE,
#     NX_COMPAT), and on a 64-bit program the full address space for it
#     (HIGH_ENTROPY_VA);
#   - no symbol table.
# Wine runs every program with full rights, so the run level can be seen
# only here and in the loader's reading of the manifest (tests/shipped).
#
#   check-shipped-files.sh OBJDUMP WINDRES PROGRAM:LEVEL:ICON_GROUPS...
# Prints what it found for each program; exits 1 naming every fault, 2 when
# a program cannot be read.
set -uo pipefail
objdump=$1 windres=$2
shift 2

status=0
fault() {
  echo "$1" >&2
  status=1
}

for entry in "$@"; do
  IFS=: read -r program level groups <<<"$entry"
  name=$(basename "$program")
  if ! headers=$("$objdump" -p "$program" 2>&1) || ! symbols=$("$objdump" -t "$program" 2>&1); then
    echo "$program: cannot be read" >&2
    exit 2
  fi
  # A program without a resource section has no resources to list.
  if ! resources=$("$windres" -i "$program" -O rc 2>&1) &&
    ! grep -q 'no resource section' <<<"$resources"; then
    echo "$program: its resources cannot be read: $resources" >&2
    exit 2
  fi

  # windres writes each resource as "NAME TYPE /* RT_... */" or, for the
  # version block, "NAME VERSIONINFO".
  manifests=$(grep -c '^1 24 /\* RT_MANIFEST \*/' <<<"$resources")
  versions=$(grep -c '^[^ ]* VERSIONINFO' <<<"$resources")
  icon_groups=$(grep -c '^[^ ]* 14 /\* RT_GROUP_ICON \*/' <<<"$resources")
  [ "$manifests" -eq 1 ] || fault "$name: no manifest resource (type 24, id 1)"
  [ "$versions" -eq 1 ] || fault "$name: no version resource"
  [ "$icon_groups" -ge "$groups" ] || fault "$name: $icon_groups icon group(s), $groups needed"

  # The manifest's text: windres writes it as quoted pieces with doubled
  # quotes, cut anywhere; joined again it is the XML.
  manifest=$(sed -n '/^1 24 \/\* RT_MANIFEST \*\//,/^END/p' <<<"$resources" |
    sed -n 's/^  "\(.*\)"$/\1/p' | tr -d '\n' | sed 's/""/"/g; s/\\n/\n/g')
  asked=$(grep -o 'requestedExecutionLevel level="[A-Za-z]*" uiAccess="[a-z]*"' <<<"$manifest")
  case $level in
    none) [ -z "$asked" ] || fault "$name: its manifest asks for a run level ($asked)" ;;
    *) [ "$asked" = "requestedExecutionLevel level=\"$level\" uiAccess=\"false\"" ] ||
      fault "$name: its manifest does not ask for $level without UI access (${asked:-no level})" ;;
  esac

  characteristics=$(sed -n '/^DllCharacteristics/,/^[A-Z]/p' <<<"$headers")
  needed="DYNAMIC_BASE NX_COMPAT"
  grep -q 'file format pei-x86-64' <<<"$headers$symbols" && needed+=" HIGH_ENTROPY_VA"
  for flag in $needed; do
    grep -qw "$flag" <<<"$characteristics" || fault "$name: $flag is not set"
  done
  grep -qx 'no symbols' <<<"$symbols" || fault "$name: holds a symbol table"

  echo "$name: manifest $manifests, version $versions, icon groups $icon_groups," \
    "run level ${asked:-none}, $(echo $(grep -ow 'DYNAMIC_BASE\|NX_COMPAT\|HIGH_ENTROPY_VA' \
    <<<"$characteristics")), $(grep -qx 'no symbols' <<<"$symbols" && echo stripped || echo symbols)"
done
exit $status
