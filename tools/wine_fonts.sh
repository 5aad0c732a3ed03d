#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Puts Windows' dialog fonts into a Wine prefix (from Debian's fonts-wine): Tahoma and Tahoma
# Bold, MS Sans Serif (bitmap and TrueType), and Marlett for the caption buttons. "MS Shell
# Dlg", the face of the default GUI font, then stands for MS Sans Serif as on Windows, so that
# windows are drawn with the metrics they have there. Usage: wine_fonts.sh PREFIX (WINEPREFIX
# set to it, the server not running or ended afterwards).
set -euo pipefail
prefix=$1
fonts="$prefix/drive_c/windows/Fonts"
[ -f "$prefix/.fonts" ] && exit 0
mkdir -p "$fonts"
for font in tahoma.ttf tahomabd.ttf ms_sans_serif.ttf sserife.fon marlett.ttf; do
    cp /usr/share/wine/fonts/$font "$fonts/"
done
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'MS Shell Dlg' /d 'MS Sans Serif' /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.fonts"
