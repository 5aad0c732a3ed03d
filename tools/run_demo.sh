#!/usr/bin/env bash
# Shows what the tool does, on a virtual display: checks and patches a copy of
# examples/sample.hex through the real exe's command line, prints each changed line before and
# after, then opens the window and saves a screenshot of the screen and one of the window alone.
# With a scale in per cent (150: 144 DPI) the window is opened once more at that scale.
# Usage: run_demo.sh EXE BUILD_DIR [SCALE]
set -euo pipefail
exe=$1
build=$2
scale=${3:-}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
demo="$build/demo"
mkdir -p "$demo"
cp "$root/examples/sample.hex" "$demo/sample.hex"
cp "$demo/sample.hex" "$demo/sample.before.hex"

echo "Checking a copy of examples/sample.hex: checksumme.exe /check \"$(winepath -w "$demo/sample.hex")\""
set +e
wine "$exe" /check "$(winepath -w "$demo/sample.hex")"
echo "exit code $?"
echo "Patching it: checksumme.exe \"$(winepath -w "$demo/sample.hex")\""
wine "$exe" "$(winepath -w "$demo/sample.hex")"
code=$?
set -e
echo "exit code $code"
paste -d '\n' <(tr -d '\r' <"$demo/sample.before.hex") <(tr -d '\r' <"$demo/sample.hex") |
    awk 'NR % 2 == 1 { before = $0; next } before != $0 { printf "  line %d\n    before %s\n    after  %s\n", NR / 2, before, $0; n++ }
         END { if (n == 0) print "  no line changed"; else printf "%d lines changed\n", n }'

# Opens the window at a DPI and saves build/checksumme<suffix>.png (the screen) and
# build/window<suffix>.png (the window alone).
screenshot() {
    local dpi=$1 suffix=$2 pid window
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine "$exe" &
    pid=$!
    if window=$(timeout 20 xdotool search --sync --onlyvisible --name 'Vorlax Checksumme 1.0' | head -1); then
        sleep 1 # let the controls finish painting
        import -window root "$build/checksumme$suffix.png"
        import -window "$window" "$build/window$suffix.png"
        echo "screenshots: $build/checksumme$suffix.png, $build/window$suffix.png"
        xdotool windowactivate "$window" key Escape 2>/dev/null || true
    fi
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && wineserver -k
    wait "$pid" 2>/dev/null || true
}

echo "Opening the window for a screenshot"
screenshot 96 ""
if [ -n "$scale" ]; then
    # MS Sans Serif comes in bitmaps for 96 DPI only; at other scales the dialog font is Tahoma,
    # the scalable one of the installed fonts (Windows has a scalable Microsoft Sans Serif).
    substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    wine reg add "$substitutes" /v 'MS Shell Dlg' /d Tahoma /f >/dev/null 2>&1
    echo "Opening it at $scale %"
    screenshot $((scale * 96 / 100)) "-$scale"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
    wine reg add "$substitutes" /v 'MS Shell Dlg' /d 'MS Sans Serif' /f >/dev/null 2>&1
fi
