#!/usr/bin/env bash
# Installs from Debian's packages whatever the build and the tests need and the
# machine lacks. Quick when everything is present: it only asks dpkg.
set -euo pipefail

packages=(
  g++ cmake ninja-build make pkg-config clang-format
  googletest libgtest-dev libcurl4-openssl-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 xvfb xauth x11-utils xdotool imagemagick
  fonts-wqy-zenhei fonts-wine python3 gzip locales
)

need_i386=0
for p in "${packages[@]}"; do
  [[ $p == *:i386 ]] && need_i386=1
done

if [[ $need_i386 == 1 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  apt_updated=0
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [[ $status == installed ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine must run with the ANSI code page 936, which the zh_CN.GBK locale gives.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.gbk$'; then
  echo "setup: generating the zh_CN.GBK locale"
  localedef -i zh_CN -f GBK zh_CN.GBK
fi
