#!/bin/sh
# The AAX module exports exactly the seven ACF entry points, undecorated, and imports only Windows
# system DLLs.
objdump=$1
module=$2
dump=$("$objdump" -p "$module") || exit 1
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
want="ACFCanUnloadNow ACFGetClassFactory ACFGetSDKVersion ACFRegisterComponent ACFRegisterPlugin ACFShutdown ACFStartup "
if [ "$exports" != "$want" ]; then
  echo "exports: $exports"
  echo "wanted:  $want"
  exit 1
fi
status=0
for dll in $(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p'); do
  case $(echo "$dll" | tr 'A-Z' 'a-z') in
    kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|advapi32.dll|msvcrt.dll|ole32.dll|oleaut32.dll|shell32.dll|comdlg32.dll|msimg32.dll|ws2_32.dll|wininet.dll|api-ms-win-*) ;;
    *) echo "imports a non-system DLL: $dll"; status=1 ;;
  esac
done
exit $status
