#!/usr/bin/env bash
# A Windows VST 3 module exports GetPluginFactory, InitDll and ExitDll and nothing else, and
# imports only DLLs every Windows has (Wine would quietly supply others, such as zlib1.dll or
# libstdc++-6.dll, that a user's machine lacks).
set -euo pipefail
objdump="$1" dll="$2"
dump=$("$objdump" -p "$dll")

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {t = 1; next} t && /^\t\[/ {print $NF; next} t {t = 0}' <<< "$dump" | sort | tr '\n' ' ')
if [ "$exports" != "ExitDll GetPluginFactory InitDll " ]; then
  echo "exports: '$exports', expected exactly ExitDll GetPluginFactory InitDll"
  exit 1
fi

allowed="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
  oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll windowscodecs.dll version.dll
  winmm.dll ws2_32.dll bcrypt.dll imm32.dll dwmapi.dll"
status=0
while read -r name; do
  lower=$(tr 'A-Z' 'a-z' <<< "$name")
  case " $(echo $allowed) " in
    *" $lower "*) echo "imports $name" ;;
    *) echo "imports $name: not a Windows system DLL"; status=1 ;;
  esac
done < <(awk '/DLL Name:/ {print $3}' <<< "$dump")
echo "exports $exports"
exit $status
