#!/usr/bin/env bash
# Checks that a built Windows program stands on its own on a stock Windows: 64-bit PE, the
# expected subsystem, imports from a short list of system DLLs only (no MinGW runtime DLLs to
# ship; SHELL32 is bound at run time, so that no DLL planted beside the program rides in on its
# imports, and so is ole32, which only opening a link needs; no picture codec, nor the COM
# automation it pulls in), and ASLR (with a relocation table to back it), DEP and high-entropy VA
# switched on.
# Prints one "ok"/"not ok" line per check; exits non-zero if any check fails.
#
#   scripts/check-pe.sh build/windows/tarnelle.exe gui
set -uo pipefail

if [[ $# -ne 2 || ! $2 =~ ^(gui|console)$ ]]; then
  echo "usage: $0 EXE gui|console" >&2
  exit 2
fi
exe=$1
want=$2
name=$(basename "$exe")
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# DLLs every Windows 10/11 has and that the program may need at load; the C runtime is the
# system's msvcrt (or the UCRT API sets).
system_dlls='^(kernel32|user32|gdi32|comctl32|advapi32|imm32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'

failures=0
report() {  # report PASSED DESCRIPTION [WHY]
  if [[ $1 == 1 ]]; then
    echo "ok - $name: $2"
  else
    echo "not ok - $name: $2${3:+ ($3)}"
    failures=$((failures + 1))
  fi
}

if ! dump=$("$objdump" -p "$exe" 2>&1); then
  report 0 "readable PE" "$(head -n 1 <<<"$dump")"
  exit 1
fi

format=$(sed -n 's/.*file format \(.*\)$/\1/p' <<<"$dump" | head -n 1)
magic=$(awk '$1 == "Magic" { print $2 }' <<<"$dump")
[[ $format == pei-x86-64 && $magic == 020b ]]
report $((! $?)) "PE32+ for x86-64" "format '$format', magic '$magic'"

subsystem=$(awk '$1 == "Subsystem" { print $2 }' <<<"$dump")
case $want in
  gui) expected=00000002 ;;
  console) expected=00000003 ;;
esac
[[ $subsystem == "$expected" ]]
report $((! $?)) "$want subsystem" "subsystem $subsystem"

mapfile -t dlls < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | sort -u)
foreign=()
for dll in "${dlls[@]}"; do
  if ! [[ ${dll,,} =~ $system_dlls ]]; then
    foreign+=("$dll")
  fi
done
[[ ${#dlls[@]} -gt 0 && ${#foreign[@]} -eq 0 ]]
report $((! $?)) "imports system DLLs only" "imports ${foreign[*]:-nothing}"

flags=$(awk '/^DllCharacteristics/ { on = 1; next } on && /^[[:space:]]+[A-Z_]+$/ { print $1; next } { on = 0 }' <<<"$dump")
missing=()
for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
  grep -qx "$flag" <<<"$flags" || missing+=("$flag")
done
[[ ${#missing[@]} -eq 0 ]]
report $((! $?)) "HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT" "missing ${missing[*]}"

# A relocatable image needs its relocations; some linkers drop them from executables, and the
# loader then keeps the image at its preferred base despite DYNAMIC_BASE.
reloc_size=$(awk '/Base Relocation Directory/ { print $4 }' <<<"$dump")
[[ -n $reloc_size && $((16#$reloc_size)) -gt 0 ]]
report $((! $?)) "relocation table present" "size ${reloc_size:-none}"

exit $((failures > 0))
