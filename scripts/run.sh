#!/usr/bin/env bash
# Installs what is missing, builds, starts the sample service on loopback and
# the window beside it: QuorlinResolver.exe under Wine (on Windows, the
# program itself), with the share page's address printed for pasting. With
# no display, the window runs on a virtual one instead, resolves the sample
# address through its own button, and a screenshot of it is saved.
set -euo pipefail
cd "$(dirname "$0")/.."

on_windows=0
[[ ${OS:-} == Windows_NT ]] && on_windows=1

[[ $on_windows == 1 ]] || bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target quorlin-resolve quorlin-sample-service

build=build/native
service_out=$(mktemp)
"$build/tests/support/quorlin-sample-service" >"$service_out" &
service=$!
trap 'kill "$service" 2>/dev/null; rm -f "$service_out"' EXIT

for _ in $(seq 50); do
  [[ -s $service_out ]] && break
  sleep 0.1
done
origin=$(head -n 1 "$service_out")
share="${origin}down_19968240.html"

echo "Sample service: $origin"
echo "Share page:     $share"
echo -n "Resolved:       "
"$build/cli/quorlin-resolve" "$share"

# The product is 32-bit; where this machine cannot run 32-bit programs the
# same sources are built for 64-bit Windows.
preset=win32
if [[ $on_windows == 0 ]] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=win64
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2 --target QuorlinResolver window_driver gui_prefix_setup
program=build/$preset/app/QuorlinResolver.exe

if [[ $on_windows == 1 ]]; then
  echo "Paste the share page's address into the window and click 一键解析."
  "$program"
  exit 0
fi

if [[ -z ${DISPLAY:-} ]]; then
  echo "No display: resolving the share page through the window on a virtual one."
  bash scripts/screenshot.sh "build/$preset" "build/$preset/run-window.png" "$share"
  exit 0
fi

# A prefix of its own, so that the tests' prefix and display stay as they are.
export WINEPREFIX=$PWD/build/$preset/wine-display/prefix WINEDEBUG=-all LC_ALL=zh_CN.GBK
export WINEDLLOVERRIDES="mscoree,mshtml="
loader=/usr/lib/wine/wine64
[[ $preset == win32 ]] && loader=/usr/lib/wine/wine
mkdir -p "$WINEPREFIX"
"$loader" "build/$preset/tests/gui/gui_prefix_setup.exe" >/dev/null 2>&1 || true
# Wine's caption buttons need Marlett, which this Wine does not find by itself.
for font in marlett tahoma tahomabd; do
  [[ -f /usr/share/wine/fonts/$font.ttf ]] &&
    cp -n "/usr/share/wine/fonts/$font.ttf" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
done
echo "Paste this address into the window and click 一键解析: $share"
"$loader" "$program"
