#!/usr/bin/env bash
# elka.exe needs only Windows' own DLLs: the C++ and GCC runtimes are linked
# in, and nothing of MinGW's (libstdc++-6.dll, libgcc_s_seh-1.dll,
# libwinpthread-1.dll) or any other library is imported. Its imports are
# read from the PE header with objdump, as a user's Windows would load them.
# usage: bash imports.sh WINDOWS-BUILD LINUX-BUILD
set -euo pipefail
exe="$1/elka.exe"
[[ -f "$exe" ]] || { echo "FAIL: no $exe: build the windows preset first" >&2; exit 1; }
windows_own="KERNEL32.dll USER32.dll GDI32.dll OPENGL32.dll GLU32.dll WINMM.dll MSACM32.dll msvcrt.dll"
mapfile -t imported < <(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
((${#imported[@]} > 0)) || { echo "FAIL: objdump found no imports in $exe" >&2; exit 1; }
for dll in "${imported[@]}"; do
    [[ " $windows_own " == *" $dll "* ]] || { echo "FAIL: elka.exe imports $dll, which Windows does not have" >&2; exit 1; }
done
# And it is a 64-bit window program, not a console one.
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
grep -Eq '^Subsystem[[:space:]].*Windows GUI' <<<"$headers" || { echo "FAIL: elka.exe is not a Windows GUI program" >&2; exit 1; }
grep -q 'pei-x86-64' <<<"$(x86_64-w64-mingw32-objdump -f "$exe")" || { echo "FAIL: elka.exe is not 64-bit" >&2; exit 1; }
echo "ok: elka.exe imports only ${imported[*]}"
