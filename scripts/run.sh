#!/usr/bin/env bash
# The run command: installs what is needed (Debian 12, as root), builds Rondel for Windows,
# prepares the demo prefix build/windows/wine-demo with a dozen demo services, and starts
# Rondel.exe under Wine.
#
# With $DISPLAY set, Rondel opens on that display; the script ends when its window is closed.
# Without one, Rondel runs under the project's Xvfb: the script waits (bounded) for the window
# titled "ロンデル", saves a screenshot to build/rondel-screenshot.png, prints that path and ends
# Rondel. Either way the demo prefix's wineserver (and with it the demo services) is ended at
# the close; the next run sets the services up again.
#
# Options, for the runs the README's pictures show:
#   --dpi N          the screen's DPI (Wine's LogPixels; 96 when not given), e.g. --dpi 144
#   --locale NAME    the Unix locale Wine runs under instead of ja_JP.UTF-8, e.g. --locale
#                    en_US.UTF-8 for an English Windows (a demo prefix of its own per locale)
# RONDEL_BUILD_DIR=DIR builds into DIR (with the windows preset) instead of build/windows.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

dpi=96
locale=""
while (($#)); do
    case "$1" in
        --dpi) dpi=${2:?--dpi needs a number}; shift 2 ;;
        --locale) locale=${2:?--locale needs a name}; shift 2 ;;
        *) echo "usage: scripts/run.sh [--dpi N] [--locale NAME]" >&2; exit 2 ;;
    esac
done
[[ "$dpi" =~ ^[0-9]+$ ]] && ((dpi >= 96 && dpi <= 480)) || { echo "run.sh: --dpi takes 96 to 480" >&2; exit 2; }

build=${RONDEL_BUILD_DIR:-build/windows}
root=$build/wine-demo
if [[ -n "$locale" && "$locale" != ja_JP.UTF-8 ]]; then
    # tests/wine/wine-run: one locale per prefix.
    export RONDEL_WINE_LOCALE=$locale
    root=$build/wine-demo-$locale
fi
bin=$build/bin
shot=build/rondel-screenshot.png
title="ロンデル"
window_timeout_ms=20000
run=(tests/wine/wine-run --root "$root")

say() { printf '== %s\n' "$*"; }
fail() { printf 'run.sh: %s\n' "$*" >&2; exit 1; }

say "installing what is missing"
scripts/install-deps.sh

say "building ($build)"
if [[ "$build" == build/windows ]]; then
    cmake --preset windows >/dev/null && cmake --build --preset windows --target rondel_demo
else
    cmake --preset windows -B "$build" >/dev/null && cmake --build "$build" --target rondel_demo
fi
[[ -f "$bin/Rondel.exe" && -f "$bin/fixtures/RondelDemo.exe" ]] || fail "the build did not produce Rondel.exe and the demo"

if [[ -n "${DISPLAY:-}" ]]; then
    export RONDEL_USE_DISPLAY=1
else
    unset RONDEL_USE_DISPLAY
fi

say "preparing the demo prefix ($root/prefix)"
"${run[@]}" --setup
# On a desktop its window manager frames the windows; under Xvfb Wine does.
managed=N
[[ "${RONDEL_USE_DISPLAY:-0}" == 1 ]] && managed=Y
"${run[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null
# Wine's processes read the DPI as they start (the prefix's helpers too): when it changes, the
# server ends and starts again with it. A run without --dpi sets it back to 96.
shown_dpi=$("${run[@]}" reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null |
    sed -n 's/.*REG_DWORD *0x\([0-9a-fA-F]*\).*/\1/p' | tr -d '\r') || true  # not there yet
if [[ -z "$shown_dpi" ]] || ((16#$shown_dpi != dpi)); then
    "${run[@]}" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    "${run[@]}" --shutdown
    "${run[@]}" --setup
fi
# The services' texts are code page 932; the terminal's are UTF-8.
# The demo's installer writes its Japanese names through the "A" functions: it runs under the
# Japanese locale whatever Rondel's, so that they reach the registry as Japanese.
if RONDEL_WINE_LOCALE=ja_JP.UTF-8 "${run[@]}" "$bin/fixtures/RondelDemo.exe" install >"$build/demo-install.log" 2>&1; then
    iconv -f CP932 -t UTF-8 <"$build/demo-install.log" | tr -d '\r' | sed 's/^/   /'
else
    iconv -f CP932 -t UTF-8 <"$build/demo-install.log" | tr -d '\r' | sed 's/^/   /' >&2
    echo "run.sh: some demo services did not get where they belong; Rondel shows what there is" >&2
fi

if [[ "${RONDEL_USE_DISPLAY:-0}" == 1 ]]; then
    say "starting Rondel on $DISPLAY (close its window to end)"
    status=0
    "${run[@]}" "$bin/Rondel.exe" || status=$?
    "${run[@]}" --shutdown
    exit "$status"
fi

display=$(cat "$root/display")
log=$build/rondel-run.log
say "starting Rondel under Xvfb ($display)"
"${run[@]}" "$bin/Rondel.exe" >"$log" 2>&1 &
rondel=$!

# Whatever happens from here, Rondel and the demo's server do not outlive the script.
finish() {
    "${run[@]}" --shutdown || true
    wait "$rondel" 2>/dev/null || true
}
trap finish EXIT

# Under another locale the title cannot pass a command line (code page 932 is the program's
# alone): its main window's class is looked for instead, and the server's end closes it.
wait_window() {
    if [[ -z "${RONDEL_WINE_LOCALE:-}" ]]; then
        "${run[@]}" "$bin/fixtures/WaitWindow.exe" "$title" "$window_timeout_ms"
        return
    fi
    local end=$((SECONDS + window_timeout_ms / 1000))
    while ((SECONDS < end)); do
        "${run[@]}" "$bin/fixtures/WaitWindow.exe" --texts TForm1 >/dev/null 2>&1 && return 0
        sleep 0.5
    done
    return 1
}

if ! wait_window; then
    if kill -0 "$rondel" 2>/dev/null; then
        echo "run.sh: Rondel.exe runs, but its window \"$title\" did not show within $((window_timeout_ms / 1000)) s" >&2
    else
        rc=0
        wait "$rondel" || rc=$?
        echo "run.sh: Rondel.exe ended (exit code $rc) before its window \"$title\" showed" >&2
    fi
    [[ -s "$log" ]] && { echo "its output ($log):" >&2; tail -n 20 "$log" >&2; }
    exit 1
fi

sleep 1  # let it paint
import -display "$display" -window root "$shot" || fail "the screenshot could not be taken"
# Cut the picture to Rondel's largest window (the application window is 1×1 and hidden).
geometry=$(xwininfo -display "$display" -root -tree 2>/dev/null | grep -F "\"$title" |
    sed -nE 's/.* ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*/\1 \2 \3 \4/p' |
    awk '{ if ($1 * $2 > best) { best = $1 * $2; g = $1 "x" $2 "+" $3 "+" $4 } } END { print g }')
if [[ -n "$geometry" ]]; then
    convert "$shot" -crop "$geometry" +repage "$shot" || true
fi
echo "$top/$shot"

# Closing the window ends the program; the server shutdown in finish() is the backstop.
if [[ -z "${RONDEL_WINE_LOCALE:-}" ]]; then
    "${run[@]}" "$bin/fixtures/WaitWindow.exe" --close "$title" 10000 || echo "run.sh: Rondel did not close; ending it" >&2
fi
