#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Shows what the tool does, on a virtual display: checks and patches a copy of
# examples/sample.hex through the real exe's command line, prints each changed line before and
# after, then opens the window and saves a screenshot of the screen and one of the window alone.
# With a suffix it only opens the window and saves the two with that suffix (./dev run --scale
# does, in a Wine prefix set to another scale).
# Usage: run_demo.sh EXE BUILD_DIR [SUFFIX]
set -euo pipefail
exe=$1
build=$2
suffix=${3:-}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Opens the window and saves build/checksumme<suffix>.png (the screen) and build/window<suffix>.png
# (the window alone).
screenshot() {
    local pid window
    wine "$exe" &
    pid=$!
    if window=$(timeout 20 xdotool search --sync --onlyvisible --name 'Vorlax Checksumme 1.0' | head -1); then
        sleep 1 # let the controls finish painting
        import -window root "$build/checksumme$1.png"
        import -window "$window" "$build/window$1.png"
        echo "screenshots: $build/checksumme$1.png, $build/window$1.png"
        xdotool windowactivate "$window" key Escape 2>/dev/null || true
    fi
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && wineserver -k
    wait "$pid" 2>/dev/null || true
}

if [ -n "$suffix" ]; then
    screenshot "$suffix"
    exit 0
fi

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

echo "Opening the window for a screenshot"
screenshot ""
