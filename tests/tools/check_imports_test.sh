#!/usr/bin/env bash
# Drives cmake/check-imports with canned import tables (a stand-in for
# objdump) and checks that it passes a listed table and fails, naming the
# function, on everything the loaders of Windows 95 and NT 4.0 would refuse.
set -uo pipefail
check=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

# $1: name, $2: expected exit (0 or 1), $3: text expected in the output (or
# ""), stdin: the import table lines after the DLL name lines.
expect() {
  local name=$1 want=$2 text=$3 out rc
  cat >"$tmp/table"
  printf '#!/usr/bin/env bash\ncat %q\n' "$tmp/table" >"$tmp/objdump"
  chmod +x "$tmp/objdump"
  out=$(OBJDUMP="$tmp/objdump" "$check" fake.exe "$tmp/list" 2>&1)
  rc=$?
  if [ "$rc" -ne "$want" ] || { [ -n "$text" ] && [[ "$out" != *"$text"* ]]; }; then
    echo "FAIL $name: exit $rc (wanted $want), output: $out"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

table() {  # DLL function... as objdump -p prints them
  printf 'The Data Directory\n\nThe Import Tables (interpreted .idata section contents)\n'
  printf ' vma:            Hint    Time      Forward  DLL       First\n'
  local dll
  for entry in "$@"; do
    if [[ $entry == dll:* ]]; then
      dll=${entry#dll:}
      printf '\n 000a9000\t000a90c8 00000000 00000000 000aa51c 000a9458\n\n\tDLL Name: %s\n\tvma:  Hint/Ord Member-Name Bound-To\n' "$dll"
    elif [[ $entry == '#'* ]]; then
      printf '\t80000011\t %4s  <none>\n' "${entry#\#}"
    else
      printf '\ta97e8\t   12  %s\n' "$entry"
    fi
  done
  printf '\nPE File Base Relocations (interpreted .reloc section contents)\n\tsome\t12  thing\n'
}

cat >"$tmp/list" <<'LIST'
# test list
@DOC a source
KERNEL32 CloseHandle DOC
USER32   MessageBoxA DOC:7
!forbidden KERNEL32 GetTickCount64 Vista
LIST

table dll:KERNEL32.dll CloseHandle dll:USER32.dll MessageBoxA | expect "listed imports pass" 0 "2 imports"
table dll:kernel32.DLL CloseHandle | expect "DLL names compare without case" 0 ""
table dll:KERNEL32.dll CloseHandle GetNativeSystemInfo | expect "an unlisted import fails with its name" 1 "KERNEL32!GetNativeSystemInfo"
table dll:KERNEL32.dll GetTickCount64 | expect "a forbidden import fails" 1 "must be looked up at run time"
table dll:USER32.dll CloseHandle | expect "a function listed for another DLL fails" 1 "USER32!CloseHandle"
table dll:KERNEL32.dll '#17' | expect "an import by ordinal fails" 1 "KERNEL32!#17"
printf 'The Import Tables (interpreted .idata section contents)\n' | expect "an empty table fails" 1 "no import table"

printf 'KERNEL32 CloseHandle\n' >"$tmp/list"
table dll:KERNEL32.dll CloseHandle | expect "an entry without a source fails" 1 "names no source"
printf 'KERNEL32 CloseHandle NOWHERE\n' >"$tmp/list"
table dll:KERNEL32.dll CloseHandle | expect "an entry citing an undefined source fails" 1 "unknown source NOWHERE"

[ "$failures" -eq 0 ]
