#!/usr/bin/env bash
# Installs, only when missing, what the builds and tests need from Debian's packages,
# and the packages named as arguments (what only another script needs).
# Safe to run again: a machine that has everything is left alone.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  apt_stale=1
fi

for p in cmake g++ googletest libgtest-dev libbenchmark-dev \
         g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
         wine wine64 wine32:i386 xvfb xauth fonts-ipafont-gothic \
         imagemagick x11-apps x11-utils locales "$@"; do
  have "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Wine names Unix files in the locale's character set: without a real
# ja_JP.UTF-8 locale it falls back to ASCII and cannot create Japanese names.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
