#!/bin/sh
# Writes the shipped language file from its readable UTF-8 source: drops the
# comment lines, then writes UTF-16LE with a byte-order mark and CR LF after
# every line, the last one included.
#   make_language_file.sh SOURCE TARGET
set -eu
source_file=$1
target_file=$2
temporary="$target_file.tmp"
{
  printf '\377\376'
  sed -e '/^#/d' -e 's/\r$//' -e 's/$/\r/' "$source_file" | iconv -f UTF-8 -t UTF-16LE
} >"$temporary"
mv "$temporary" "$target_file"
