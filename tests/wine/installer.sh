#!/usr/bin/env bash
# The installer under wine: installs per machine under Program Files with a
# Start-menu shortcut and an uninstall entry, and leaves nothing behind on
# removal. Usage: installer.sh MSI  (in the test's wine prefix)
set -euo pipefail
msi=$1
drive=$(winepath -u 'C:\')
# A 32-bit package goes to the 32-bit programs' folder and registry view of
# a 64-bit Windows.
folder=$(wine cmd /c 'echo %ProgramFiles(x86)%' | tr -d '\r')
view=(/reg:32)
if [[ $folder == %* ]]; then
    folder=$(wine cmd /c 'echo %ProgramFiles%' | tr -d '\r')
    view=()
fi
program="$(winepath -u "$folder")/Lumivar/lumivar.exe"
# Windows puts a per-machine shortcut in the common Start menu; wine's
# installer in the user's.
shortcuts=("$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Lumivar.lnk"
    "$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Microsoft/Windows/Start Menu/Programs/Lumivar.lnk")
has_shortcut() { [ -f "${shortcuts[0]}" ] || [ -f "${shortcuts[1]}" ]; }
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
fail() { echo "$1"; exit 1; }

wine msiexec /i "$msi" /qn
[ -f "$program" ] || fail "lumivar.exe not under Program Files"
has_shortcut || fail "no Start-menu shortcut Lumivar"
listed() { wine reg query "$uninstall" /s "${view[@]}" 2>/dev/null | grep -E 'DisplayName +REG_SZ +Lumivar' >/dev/null; }
listed || fail "no uninstall entry"
cmp -s "$program" "$(dirname "$msi")/src/win32/lumivar.exe" || fail "the installed program is not the one built"

wine msiexec /x "$msi" /qn
[ ! -e "$program" ] || fail "lumivar.exe left behind"
! has_shortcut || fail "the shortcut left behind"
[ ! -e "$(dirname "$program")" ] || fail "the Lumivar folder left behind"
! listed || fail "the uninstall entry left behind"
echo "installed, checked and removed"
