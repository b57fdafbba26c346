#!/bin/sh
# Checks that a CLAP plug-in exports clap_entry and nothing else and, for Windows, needs only
# system libraries.
# usage: check-exports.sh linux|windows BINARY [OBJDUMP]
set -eu
kind=$1
binary=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$binary" ] || fail "$binary does not exist"

if [ "$kind" = linux ]; then
    names=$(nm -D --defined-only "$binary" | awk '{print $3}' | tr '\n' ' ')
else
    objdump=${3:-x86_64-w64-mingw32-objdump}
    table=$("$objdump" -p "$binary")
    names=$(echo "$table" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /\[/{print $3} on && /^$/{on=0}' | tr '\n' ' ')
    for dll in $(echo "$table" | awk '/DLL Name:/{print $3}'); do
        case $(echo "$dll" | tr 'a-z' 'A-Z') in
            KERNEL32.DLL|USER32.DLL|GDI32.DLL|OLE32.DLL|SHELL32.DLL|MSVCRT.DLL|ADVAPI32.DLL) ;;
            *) fail "depends on $dll, which is not a system library" ;;
        esac
    done
fi
echo "exports: $names"
[ "$names" = "clap_entry " ] || fail "exports are '$names'"
echo "exports ok"
