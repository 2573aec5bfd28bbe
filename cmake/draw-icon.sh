#!/usr/bin/env bash
# Draws Ondrel's icons and writes them as resources for the resource compiler.
#
#   draw-icon.sh VARIANT GROUPS OUT_DIR
#
# VARIANT is "organiser" (a ring-bound notebook with a written page and a gold
# seal), "installer" (the notebook with a green arrow into it) or "uninstall"
# (the notebook with a red cross). Each is drawn anew at every size a shell
# asks for (16 to 64 pixels, and 256 for large views); the smallest sizes
# (up to 24 pixels) from a simpler drawing on a 16-pixel grid, so that they
# stay sharp rather than shrink the larger one into a blur.
#
# Writes into OUT_DIR: VARIANT.ico (the icon file, to look at), one
# VARIANT-N.bin per picture (the bytes of one icon image), and VARIANT-icon.rc, a
# resource script that holds every picture once and GROUPS icon groups (ids 1
# to GROUPS) that all show them. A program that holds one picture set under
# several group ids answers every icon index below GROUPS with the same icon,
# at no more size than one.
#
# Needs ImageMagick's convert (installed by scripts/install-deps.sh).
set -euo pipefail
variant=$1 groups=$2 out=$3
case $variant in organiser | installer | uninstall) ;; *) echo "unknown icon $variant" >&2; exit 2 ;; esac
[ "$groups" -ge 1 ] 2>/dev/null || { echo "GROUPS must be a positive number" >&2; exit 2; }
command -v convert >/dev/null || { echo "draw-icon.sh: ImageMagick's convert is missing" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The drawing, one ImageMagick draw primitive a line: "GRID WHO PRIMITIVE".
# GRID 16 is the simpler drawing for sizes up to 24 pixels, GRID 48 the full
# one; WHO is "all" or the one variant the line belongs to. Each primitive is
# scaled from its grid to the size drawn.
drawing() {
  cat <<'DRAWING'
16 all fill #1d5f7a roundrectangle 3,0 15,15 2,2
16 all fill #2b86a8 rectangle 4,1 14,14
16 all fill #ffffff rectangle 6,2 13,12
16 all fill #9fb3bf rectangle 7,4 12,4.9
16 all fill #9fb3bf rectangle 7,7 11,7.9
16 all fill #5a6770 rectangle 1,2 5,3
16 all fill #5a6770 rectangle 1,6 5,7
16 all fill #5a6770 rectangle 1,10 5,11
16 organiser fill #e8b31c stroke #8a6200 stroke-width 0.8 circle 11.5,11.5 11.5,8.6
16 installer fill #2e9e3e stroke #1b6326 stroke-width 0.8 circle 11.5,11.5 11.5,8
16 installer fill #ffffff polygon 9.3,10.6 13.7,10.6 11.5,13.6
16 installer fill #ffffff rectangle 10.7,8.8 12.3,10.8
16 uninstall fill #c83a2e stroke #80211a stroke-width 0.8 circle 11.5,11.5 11.5,8
16 uninstall stroke #ffffff stroke-width 1.4 line 10,10 13,13
16 uninstall stroke #ffffff stroke-width 1.4 line 13,10 10,13
48 all fill #1d5f7a roundrectangle 9,3 43,45 4,4
48 all fill #2b86a8 roundrectangle 10,4 42,43 3,3
48 all fill #ffffff rectangle 15,8 39,39
48 all fill #9fb3bf rectangle 18,14 36,15.5
48 all fill #9fb3bf rectangle 18,20 36,21.5
48 all fill #9fb3bf rectangle 18,26 30,27.5
48 all fill #d9dde0 stroke #5a6770 stroke-width 1.2 roundrectangle 5,8 13,11 1.5,1.5
48 all fill #d9dde0 stroke #5a6770 stroke-width 1.2 roundrectangle 5,17 13,20 1.5,1.5
48 all fill #d9dde0 stroke #5a6770 stroke-width 1.2 roundrectangle 5,26 13,29 1.5,1.5
48 all fill #d9dde0 stroke #5a6770 stroke-width 1.2 roundrectangle 5,35 13,38 1.5,1.5
48 organiser fill #e8b31c stroke #8a6200 stroke-width 1 circle 33,35 33,29
48 organiser fill #8a6200 circle 33,35 33,33
48 installer fill #2e9e3e stroke #1b6326 stroke-width 1.2 circle 34,34 34,24
48 installer fill #ffffff polygon 28,33 40,33 34,41
48 installer fill #ffffff rectangle 31.8,26.5 36.2,33.5
48 uninstall fill #c83a2e stroke #80211a stroke-width 1.2 circle 34,34 34,24
48 uninstall stroke #ffffff stroke-width 3 line 30,30 38,38
48 uninstall stroke #ffffff stroke-width 3 line 38,30 30,38
DRAWING
}

pictures=()
for size in 16 20 24 32 40 48 64 256; do
  grid=48
  [ "$size" -le 24 ] && grid=16
  scale=$(awk -v size="$size" -v grid="$grid" 'BEGIN { printf "%.6f", size / grid }')
  primitives=()
  while read -r line_grid who primitive; do
    [ "$line_grid" = "$grid" ] && { [ "$who" = all ] || [ "$who" = "$variant" ]; } &&
      primitives+=(-draw "scale $scale,$scale $primitive")
  done < <(drawing)
  convert -size "${size}x${size}" xc:none "${primitives[@]}" "PNG32:$work/$size.png"
  pictures+=("$work/$size.png")
done
convert "${pictures[@]}" "$out/$variant.ico"

# The icon file: a 6-byte header (reserved, type 1, count), then a 16-byte
# entry per picture (width, height, colours, reserved, planes, bit count,
# byte count, offset). Resources keep the pictures apart (type 3, RT_ICON)
# and the entries in a group (type 14, RT_GROUP_ICON) whose 14-byte entries
# name each picture by id instead of its offset.
mapfile -t bytes < <(od -An -tu1 -v -w1 "$out/$variant.ico" | tr -d ' ')
word() { echo $((bytes[$1] | bytes[$1 + 1] << 8)); }
dword() { echo $((bytes[$1] | bytes[$1 + 1] << 8 | bytes[$1 + 2] << 16 | bytes[$1 + 3] << 24)); }
count=$(word 4)
[ "$count" -eq ${#pictures[@]} ] || { echo "draw-icon.sh: $count pictures in $variant.ico" >&2; exit 1; }

rc=$out/$variant-icon.rc
{
  echo "/* Made by cmake/draw-icon.sh: the $variant icon, its pictures once and $groups group(s). */"
  entries=""
  for ((i = 0; i < count; i++)); do
    entry=$((6 + 16 * i))
    size=$(dword $((entry + 8))) offset=$(dword $((entry + 12)))
    id=$((101 + i))
    dd if="$out/$variant.ico" of="$out/$variant-$id.bin" bs=1 skip="$offset" count="$size" status=none
    echo "$id 3 \"$variant-$id.bin\""
    # width | height << 8, colours | reserved << 8, planes, bit count, byte count, id
    entries+="  $(word $entry), $(word $((entry + 2))), $(word $((entry + 4))), $(word $((entry + 6))), ${size}L, $id,"$'\n'
  done
  for ((group = 1; group <= groups; group++)); do
    echo "$group 14"
    echo "BEGIN"
    echo "  0, 1, $count,"
    printf '%s' "${entries%,$'\n'}"
    echo
    echo "END"
  done
} >"$rc"
