#!/usr/bin/env bash
# Installs, on Debian 12 as root, whatever the build and the tests need and
# the machine lacks; touches apt only when something is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build           # native build
  libcurl4-openssl-dev libssl-dev # native HTTP and SHA-1 back end
  googletest                      # built from /usr/src/googletest by both builds
  g++-mingw-w64-i686              # Win32 cross build (brings the -posix compilers)
  wine wine32:i386                # runs the Win32 tests
  nginx openssl python3 time      # local HTTPS test servers and their CA; bench/ peak memory
  xvfb xauth xdotool imagemagick  # window tests: display, input, screenshots
  clang libclang-rt-14-dev        # fuzz targets: clang with libFuzzer and the sanitizer runtimes
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "deps.sh: all packages present"
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "deps.sh: missing ${missing[*]}; run as root to install them" >&2
  exit 1
fi

echo "deps.sh: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Package scripts must not start services: nginx would listen on port 80.
if [ ! -e /usr/sbin/policy-rc.d ]; then
  printf '#!/bin/sh\nexit 101\n' > /usr/sbin/policy-rc.d
  chmod +x /usr/sbin/policy-rc.d
  trap 'rm -f /usr/sbin/policy-rc.d' EXIT
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -q </dev/null
# With recommends: Wine needs libgnutls30:i386 (only recommended) for HTTPS.
apt-get install -y -q "${missing[@]}" </dev/null
