#!/bin/sh
# Checks that a plug-in binary exports VSTPluginMain and main at one address and, for
# the Linux binary, nothing else.
# usage: check-exports.sh linux|windows BINARY [OBJDUMP]
set -eu
kind=$1
binary=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$binary" ] || fail "$binary does not exist"

if [ "$kind" = linux ]; then
    symbols=$(nm -D --defined-only "$binary" | awk '{print $3 " " $1}' | sort)
    echo "$symbols"
    names=$(echo "$symbols" | awk '{print $1}' | tr '\n' ' ')
    [ "$names" = "VSTPluginMain main " ] || fail "exports are '$names'"
    addresses=$(echo "$symbols" | awk '{print $2}' | sort -u | wc -l)
    [ "$addresses" -eq 1 ] || fail "VSTPluginMain and main are different functions"
else
    objdump=${3:-x86_64-w64-mingw32-objdump}
    table=$("$objdump" -p "$binary")
    rvas=$(echo "$table" | awk '/Export Address Table --/{on=1; next} on && /Export RVA/{print $(NF-2)} on && /^$/{on=0}')
    names=$(echo "$table" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /\[/{print $3} on && /^$/{on=0}' | tr '\n' ' ')
    echo "exports: $names at $rvas"
    [ "$names" = "VSTPluginMain main " ] || fail "exports are '$names'"
    [ "$(echo "$rvas" | sort -u | wc -l)" -eq 1 ] || fail "VSTPluginMain and main are different functions"
    imports=$(echo "$table" | awk '/DLL Name:/{print $3}' | tr '\n' ' ')
    echo "imports: $imports"
    for dll in $imports; do
        case $(echo "$dll" | tr 'a-z' 'A-Z') in
            KERNEL32.DLL|USER32.DLL|GDI32.DLL|OLE32.DLL|SHELL32.DLL|MSVCRT.DLL|ADVAPI32.DLL) ;;
            *) fail "depends on $dll, which is not a system library" ;;
        esac
    done
fi
echo "exports ok"
