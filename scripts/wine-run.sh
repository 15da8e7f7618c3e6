#!/usr/bin/env bash
# Runs Windows test programs under Wine for CTest (the cross-compiling
# emulator of the win32 build).
#   wine-run.sh run SESSION PROGRAM [ARGS...]   run one program in the session
#   wine-run.sh stop SESSION                    end the session now
# A session is a directory: the Wine prefix (never ~/.wine), a virtual X
# display and a persistent wineserver. The first run starts it, later runs
# reuse it, and it ends by itself once Wine has been idle for a while.
set -euo pipefail

idle_seconds=60

command=${1:?usage: wine-run.sh run|stop SESSION ...}
session=$(realpath -m "${2:?session directory}")
shift 2

export WINEPREFIX=$session/prefix
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Code page 936 is the ANSI code page Wine derives from this locale.
export LC_ALL=zh_CN.GBK

# The loader and server that fit a program: 64-bit programs run in a 64-bit
# prefix with wine64, 32-bit ones in a 32-bit prefix. The first program of a
# session decides its prefix; one build directory holds one kind.
choose_wine() {
  local machine=014c
  if [[ -f ${1:-} ]]; then
    local pe
    pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ')
  elif [[ -f $session/arch ]]; then
    [[ $(cat "$session/arch") == win64 ]] && machine=8664
  fi
  if [[ $machine == 8664 ]]; then
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    wineserver=/usr/lib/wine/wineserver64
  else
    export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
    wineserver=/usr/lib/wine/wineserver32
  fi
}

wine() { "$WINELOADER" "$@"; }
wineboot() { "$WINELOADER" wineboot "$@"; }
wineserver() { "$wineserver" "$@"; }

session_alive() {
  [[ -f $session/xvfb.pid ]] && kill -0 "$(cat "$session/xvfb.pid")" 2>/dev/null
}

start_session() {
  mkdir -p "$session"
  echo "$WINEARCH" >"$session/arch"
  rm -f "$session/display"
  # Background processes get the log, never the caller's output: CTest waits
  # for every holder of a test's output pipe.
  local display_fifo=$session/displayfd
  rm -f "$display_fifo"
  mkfifo "$display_fifo"
  # 9>&-: what outlives this script must not hold the session lock.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_fifo" 9>&- \
    </dev/null >>"$session/xvfb.log" 2>&1 &
  echo $! >"$session/xvfb.pid"
  local display
  read -r display <"$display_fifo"
  rm -f "$display_fifo"
  echo ":$display" >"$session/display"
  export DISPLAY=:$display

  # A server left from a session whose display has gone would keep serving
  # the old display, and a second server for the prefix cannot start.
  wineserver -k 9>&- </dev/null >>"$session/wine.log" 2>&1 || true
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    wineboot --init 9>&- </dev/null >>"$session/wine.log" 2>&1
    # The boot goes on in the background (services, device setup) after
    # wineboot returns, under a server of its own; a program started now
    # races it. Waiting for that server to end is waiting for the boot.
    wineserver -w 9>&- </dev/null >>"$session/wine.log" 2>&1
  fi
  # Kept for idle_seconds after the last program, so the runs of one test
  # session share it; the display goes when it goes.
  wineserver -p"$idle_seconds" 9>&- </dev/null >>"$session/wine.log" 2>&1
  wine cmd /c exit 9>&- </dev/null >>"$session/wine.log" 2>&1 || true
  # The desktop process starts with the session's first window. Started by a
  # test's child, it would inherit the child's handles and hold the test's
  # pipes open; rundll32 makes a window now, so it starts here instead.
  wine rundll32.exe user32.dll,GetDesktopWindow 9>&- </dev/null >>"$session/wine.log" 2>&1 || true
  local xvfb_pid
  xvfb_pid=$(cat "$session/xvfb.pid")
  setsid bash -c '"$2" -w; kill "$1" 2>/dev/null' reaper "$xvfb_pid" "$wineserver" 9>&- \
    </dev/null >>"$session/wine.log" 2>&1 &
}

stop_session() {
  if [[ -d $WINEPREFIX ]]; then
    wineserver -k </dev/null >>"$session/wine.log" 2>&1 || true
  fi
  if session_alive; then
    kill "$(cat "$session/xvfb.pid")" 2>/dev/null || true
  fi
  rm -f "$session/xvfb.pid" "$session/display"
}

case $command in
  run)
    choose_wine "${1:-}"
    mkdir -p "$session"
    {
      flock 9
      session_alive || start_session
    } 9>"$session/lock"
    DISPLAY=$(cat "$session/display")
    export DISPLAY
    exec "$WINELOADER" "$@"
    ;;
  stop)
    choose_wine
    mkdir -p "$session"
    {
      flock 9
      stop_session
    } 9>"$session/lock"
    ;;
  *)
    echo "wine-run.sh: unknown command $command" >&2
    exit 2
    ;;
esac
