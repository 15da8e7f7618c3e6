#!/usr/bin/env bash
# Pictures the window as a user sees it: QuorlinResolver.exe in a Wine
# virtual desktop (which draws the frame and the title bar), with the GUI
# fonts mapped to the installed CJK font so the captions are legible.
#   screenshot.sh BUILD_DIR OUT.png [ADDRESS | --unskinned]
# BUILD_DIR is a built Windows preset (build/win64). With ADDRESS the
# address is resolved through the window first (typed into the address box,
# the resolve button clicked; the shell's open goes to the tests' recorder,
# so no browser starts) and the result is printed. With --unskinned the
# program runs from a directory named "Eda" beside the tests' stand-in
# engine, which attaches nothing: the window as the system draws it.
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "${1:?usage: screenshot.sh BUILD_DIR OUT.png [ADDRESS]}")
out=$(realpath -m "${2:?usage: screenshot.sh BUILD_DIR OUT.png [ADDRESS]}")
address=${3:-}

session=$build/wine-session
driver=$build/tests/gui/window_driver.exe
desktop=QuorlinShot
[[ -f $driver ]] || { echo "screenshot.sh: build $driver first" >&2; exit 1; }

run() { scripts/wine-run.sh run "$session" "$@"; }
windows_path() { local path=$1; printf 'Z:%s' "${path//\//\\}"; }

work=$(mktemp -d)
explorer=
cleanup() {
  if [[ -n $explorer ]]; then kill "$explorer" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
status=$work/status

# The driver is a 64- or 32-bit program and so picks the session's prefix;
# started without arguments it only does that.
run "$driver" </dev/null >/dev/null 2>&1 || true
# Wine draws the caption buttons with Marlett. Its own copy (fonts-wine)
# sits where this Wine does not look, so it goes into the prefix's fonts.
fonts=$session/prefix/drive_c/windows/Fonts
for font in marlett tahoma tahomabd; do
  if [[ -f /usr/share/wine/fonts/$font.ttf && ! -f $fonts/$font.ttf ]]; then
    mkdir -p "$fonts"
    cp "/usr/share/wine/fonts/$font.ttf" "$fonts/"
  fi
done
picture_desktop() {
  export DISPLAY
  DISPLAY=$(cat "$session/display")
  window=$(xdotool search --name "^$desktop" | head -n 1)
  [[ -n $window ]] || { echo "screenshot.sh: no virtual desktop window" >&2; exit 1; }
  sleep 1  # the last paint
  mkdir -p "$(dirname "$out")"
  import -window "$window" "$out"
}

if [[ $address == --unskinned ]]; then
  plain=$work/Eda
  mkdir -p "$plain"
  cp "$build/app/QuorlinResolver.exe" "$plain/"
  cp "$build/tests/skin/quorlin_recording_engine.dll" "$plain/Eda.dll"
  run explorer.exe "/desktop=$desktop,520x300" "$(windows_path "$plain/QuorlinResolver.exe")" \
    </dev/null >"$work/explorer.log" 2>&1 &
  explorer=$!
  sleep 8  # no driver to say when it is up: the window shows within a few seconds
  picture_desktop
  echo "Screenshot:             $out"
  kill "$explorer" 2>/dev/null || true
  scripts/wine-run.sh stop "$session"
  explorer=
  exit 0
fi

run explorer.exe "/desktop=$desktop,520x300" "$(windows_path "$driver")" \
  "$(windows_path "$status")" ${address:+"$address"} </dev/null >"$work/explorer.log" 2>&1 &
explorer=$!

for _ in $(seq 600); do
  [[ -f $status ]] && break
  sleep 0.5
done
if [[ ! -f $status ]]; then
  echo "screenshot.sh: the window did not come up" >&2
  exit 1
fi
if grep -q '^failed' "$status"; then
  echo "screenshot.sh: $(cat "$status")" >&2
  rm -f "$status"
  exit 1
fi

picture_desktop
sed -n 's/^resolved /Resolved in the window: /p; s/^opened /Handed to the shell:    /p' "$status"
echo "Screenshot:             $out"

rm -f "$status"  # the driver closes the window now
for _ in $(seq 120); do
  kill -0 "$explorer" 2>/dev/null || break
  sleep 0.5
done
explorer=
