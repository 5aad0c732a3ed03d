#!/usr/bin/env bash
# ./dev bench: times the patcher in-process, the whole tool, srec_cat and a plain copy on three
# 16 MiB-data Intel HEX files (about 47 MB each) and prints a table with medians.
# Usage: tools/bench.sh BUILD_DIR   (ROUNDS=n for the number of rounds, default 5)
set -euo pipefail
BUILD=$(cd "$1" && pwd)
ROUNDS=${ROUNDS:-5}
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ARCH=${BENCH_ARCH:-x64}
BENCH_EXE="$BUILD/$ARCH/tools/patch_bench.exe"
TOOL_EXE="$BUILD/$ARCH/app/checksumme.exe"
DIR="$BUILD/bench"
mkdir -p "$DIR"

winpath() { printf 'Z:%s' "${1//\//\\}"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
median() { tr ' ' '\n' | sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

FLAVOURS=(right wrong wrong-lf)
for f in "${FLAVOURS[@]}"; do
    [ -s "$DIR/$f.hex" ] || python3 "$TOOLS/make_bench_hex.py" "$f" >"$DIR/$f.hex"
done
SIZE=$(stat -c %s "$DIR/right.hex")

# The runs use their own Wine prefix whose windows live in a Wine virtual desktop: on a bare X
# server without a window manager, Wine waits 2 s for every shown window to be withdrawn when it
# hides it (wait_for_withdrawn_state), which no desktop with a window manager does.
export WINEPREFIX="$DIR/wineprefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the benchmark's Wine prefix (once)" >&2
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 640x480 /f >/dev/null 2>&1
    wineserver -w
fi
wineserver -p 30 || true # keep Wine's server up between the runs, as on a desktop
wine "$BENCH_EXE" "$(winpath "$DIR/none.hex")" >/dev/null 2>&1 || true # warm-up
wine "$TOOL_EXE" "$(winpath "$DIR/none.hex")" >/dev/null 2>&1 || true   # starts the desktop

declare -A TIME
status=0
for f in "${FLAVOURS[@]}"; do
    src="$DIR/$f.hex" work="$DIR/work.hex" ours="" exe="" srec="" copy=""
    for ((r = 0; r < ROUNDS; r++)); do
        cp "$src" "$work"
        touch -d '2020-01-01 00:00:00' "$work"
        before=$(stat -c %Y "$work")
        ours+=" $(wine "$BENCH_EXE" "$(winpath "$work")" | tr -d '\r')"
        after=$(stat -c %Y "$work")
        cp "$work" "$DIR/$f.ours"
        if [ "$f" = right ] && [ "$before" != "$after" ]; then
            echo "FAIL: the all-right file was written (modification time changed)"; status=1
        fi

        cp "$src" "$work"
        t0=$(now_ms); wine "$TOOL_EXE" "$(winpath "$work")" >/dev/null 2>&1 || true; t1=$(now_ms)
        exe+=" $((t1 - t0))"
        cmp -s "$work" "$DIR/$f.ours" || { echo "FAIL: checksumme.exe and the patcher differ ($f)"; status=1; }

        if [ "$f" != wrong-lf ]; then
            t0=$(now_ms)
            srec_cat "$src" -intel -ignore-checksums -o "$DIR/$f.srec" -intel -obs=16 \
                -line-termination=crlf
            t1=$(now_ms); srec+=" $((t1 - t0))"
        fi

        t0=$(now_ms); cp "$src" "$DIR/copy.hex"; t1=$(now_ms); copy+=" $((t1 - t0))"
    done
    TIME[$f,ours]=$(echo $ours | median)
    TIME[$f,exe]=$(echo $exe | median)
    TIME[$f,copy]=$(echo $copy | median)
    TIME[$f,srec]=""
    [ -n "$srec" ] && TIME[$f,srec]=$(echo $srec | median)
    if [ -n "$srec" ]; then
        if cmp -s "$DIR/$f.ours" "$DIR/$f.srec"; then TIME[$f,same]=yes; else TIME[$f,same]=NO; status=1; fi
    else
        # srec_cat writes CR LF only; with LF line ends the patcher keeps LF, so compare the
        # patched LF file with the patched CR LF file once its line ends are made CR LF.
        if sed 's/$/\r/' "$DIR/$f.ours" | cmp -s - "$DIR/wrong.ours"; then TIME[$f,same]="yes*"; else TIME[$f,same]=NO; status=1; fi
    fi
done
rm -f "$DIR/work.hex" "$DIR/copy.hex"

mbs() { awk -v b="$SIZE" -v ms="$1" 'BEGIN { if (ms <= 0) ms = 1; printf "%8.1f", b / 1e6 / (ms / 1000) }'; }
ratio() { [ -n "$2" ] && awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 1; printf "%6.2f", a / b }' || printf '%6s' -; }

printf '\n%s, %d bytes, %d rounds (median), %s build\n' "16 MiB of data" "$SIZE" "$ROUNDS" "$ARCH"
printf '%-9s %-20s %9s %8s %9s %9s %s\n' flavour runner ms MB/s /srec_cat /copy same-as-srec_cat
for f in "${FLAVOURS[@]}"; do
    for runner in ours exe srec copy; do
        ms=${TIME[$f,$runner]}
        [ -z "$ms" ] && continue
        case $runner in
            ours) name="patcher in-process"; same=${TIME[$f,same]} ;;
            exe) name="checksumme.exe"; same="" ;;
            srec) name="srec_cat"; same="" ;;
            copy) name="cp (floor)"; same="" ;;
        esac
        printf '%-9s %-20s %9s %8s %9s %9s %s\n' "$f" "$name" "$ms" "$(mbs "$ms")" \
            "$(ratio "$ms" "${TIME[$f,srec]}")" "$(ratio "$ms" "${TIME[$f,copy]}")" "$same"
    done
done
[ "${TIME[wrong-lf,srec]}" = "" ] && printf '(* LF file: srec_cat cannot keep LF; its result is compared with CR LF put back)\n'

# Targets: all wrong at most half of srec_cat's time (LF-only measured against the CR LF
# srec_cat run), all right at most a quarter, the whole tool no slower than srec_cat.
check() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { exit !(a <= b * f) }'; }
for f in wrong wrong-lf; do
    check "${TIME[$f,ours]}" "${TIME[wrong,srec]}" 0.5 || { echo "TARGET MISSED: $f in-process > 1/2 srec_cat"; status=1; }
done
check "${TIME[right,ours]}" "${TIME[right,srec]}" 0.25 || { echo "TARGET MISSED: right in-process > 1/4 srec_cat"; status=1; }
check "${TIME[wrong,exe]}" "${TIME[wrong,srec]}" 1 || { echo "TARGET MISSED: checksumme.exe slower than srec_cat (wrong)"; status=1; }
[ $status -eq 0 ] && echo "all targets met, results identical"
wineserver -k >/dev/null 2>&1 || true
exit $status
