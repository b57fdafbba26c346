#!/bin/sh
# Checks that a VST3 module exports its entry points and nothing else: GetPluginFactory with
# ModuleEntry and ModuleExit on Linux (with "own-runtime", and no C++ runtime of the system),
# GetPluginFactory with InitDll and ExitDll under their plain names on Windows (and only
# system libraries).
# usage: check-exports.sh linux MODULE [own-runtime]
#        check-exports.sh windows MODULE [OBJDUMP]
set -eu
kind=$1
module=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$module" ] || fail "$module does not exist"

if [ "$kind" = linux ]; then
    names=$(nm -D --defined-only "$module" | awk '{print $3}' | sort | tr '\n' ' ')
    echo "exports: $names"
    [ "$names" = "GetPluginFactory ModuleEntry ModuleExit " ] || fail "exports are '$names'"
    needed=$(objdump -p "$module" | awk '/NEEDED/{print $2}' | tr '\n' ' ')
    echo "needs: $needed"
    case "${3:-} $needed" in
        own-runtime*libstdc++*|own-runtime*libgcc_s*) fail "depends on the system's C++ runtime" ;;
    esac
else
    table=$("${3:-x86_64-w64-mingw32-objdump}" -p "$module")
    names=$(echo "$table" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /\[/{print $3} on && /^$/{on=0}' | sort | tr '\n' ' ')
    echo "exports: $names"
    [ "$names" = "ExitDll GetPluginFactory InitDll " ] || fail "exports are '$names'"
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
