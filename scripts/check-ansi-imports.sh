#!/usr/bin/env bash
# Checks that programs import no ANSI function: none of the system's "...A"
# functions and none of the C runtime's functions that take or give a path
# or text in the ANSI code page. The setup programs keep every path, file
# name and message text in UTF-16 from where Windows hands it over to where
# Windows takes it: a letter outside the code page, passed through an ANSI
# function, becomes "?" or a look-alike (even "\" or a quote mark).
#
# A few ANSI imports come from the compiler's own start-up code and the
# threads library, not from our code; none of them takes a path, a file name
# or a text the user reads. They are listed below with why, and each
# program's remaining ones are printed.
#
#   check-ansi-imports.sh OBJDUMP PROGRAM...
# Exits 1 naming every other ANSI import, 2 when a program cannot be read.
set -uo pipefail
objdump=$1
shift

# The ANSI imports that may stay, with why.
declare -A allowed=(
  [CreateEventA]="the threads library (winpthreads) makes unnamed events"
  [CreateSemaphoreA]="the threads library makes unnamed semaphores"
  [OutputDebugStringA]="the threads library's own notes to a debugger"
  [GetModuleHandleA]="the compiler's start-up code (crtbegin.o) asks for its unwinder DLL by a fixed ASCII name"
  [LoadLibraryA]="the same start-up code takes a reference to that DLL, by the same name, when it is loaded already"
)

# The C runtime's functions that take or give paths or text in the ANSI code
# page (their wide twins start with _w or end in w).
narrow_runtime='^(fopen|freopen|_fsopen|_open|_sopen|_creat|_access|_chdir|_mkdir|_rmdir|remove|rename|_unlink|unlink|_stat|_stat32|_stat64|_stati64|_stat32i64|_stat64i32|_findfirst|_findfirst32|_findfirst64|_findfirsti64|_findnext|_findnext32|_findnext64|_findnexti64|_fullpath|_splitpath|_makepath|_getcwd|_getdcwd|getenv|_putenv|system|_popen|_spawn[a-z]*|_exec[a-z]*|__getmainargs|__p__acmdln|_acmdln|_pgmptr|__p__pgmptr)$'

status=0
for program in "$@"; do
  if ! headers=$("$objdump" -p "$program" 2>&1); then
    echo "$program: cannot be read: $headers" >&2
    exit 2
  fi
  name=$(basename "$program")
  # "DLL Name: X" starts each DLL's list; its functions follow as
  # "<address> <hint> <name>" lines.
  functions=$(awk '/DLL Name:/ { dll = tolower($3); next }
                   dll != "" && /^[[:space:]]+[0-9a-fA-F]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/ {
                     print dll ":" $3 }
                   /^[[:space:]]*$/ { next }' <<<"$headers" | tr -d '\r')
  kept=()
  while IFS=: read -r dll function; do
    [ -n "$function" ] || continue
    if [[ $function =~ ^[A-Za-z_][A-Za-z0-9_]*[a-z0-9_]A$ || $function =~ ^[A-Z][A-Za-z0-9]*[A-Z]A$ ]]; then
      if [ -n "${allowed[$function]+set}" ]; then
        kept+=("$function (${allowed[$function]})")
      else
        echo "$name: imports $function from $dll, an ANSI function" >&2
        status=1
      fi
    elif [[ $dll == msvcrt.dll && $function =~ $narrow_runtime ]]; then
      echo "$name: imports $function from $dll, which takes or gives ANSI text" >&2
      status=1
    fi
  done <<<"$functions"
  if [ ${#kept[@]} -eq 0 ]; then
    echo "$name: no ANSI imports"
  else
    echo "$name: ANSI imports that take no path or text:"
    printf '  %s\n' "${kept[@]}"
  fi
done
exit $status
