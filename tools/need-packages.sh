#!/bin/sh
# Makes sure the Debian packages that `make run`, `make test` or `make package` needs are
# installed.
#   tools/need-packages.sh run|test|package|windows [--check]
# As root the missing ones are installed with apt-get; otherwise, or with --check, the one
# apt-get line to run is printed and the script fails.
set -eu

need=""
missing() { need="$need $1"; }

have_header() { [ -f "/usr/include/$1" ]; }

command -v cmake >/dev/null 2>&1 || missing cmake
command -v g++ >/dev/null 2>&1 || missing g++
command -v make >/dev/null 2>&1 || missing make
have_header CLI/CLI.hpp || missing libcli11-dev
have_header lemon/network_simplex.h || missing liblemon-dev
if [ "${1:-run}" = windows ]; then
  # The cross build: mingw-w64 with the posix thread model, wine to run what it builds,
  # GoogleTest's source, groff for the manual as text, zip.
  command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing "mingw-w64 g++-mingw-w64-x86-64-posix"
  command -v wine >/dev/null 2>&1 || missing "wine wine64"
  [ -f /usr/src/googletest/CMakeLists.txt ] || missing libgtest-dev
  command -v groff >/dev/null 2>&1 || missing groff-base
  command -v zip >/dev/null 2>&1 || missing zip
else
  have_header csv.h || missing libcsv-dev
fi
if [ "${1:-run}" = test ]; then
  have_header gtest/gtest.h || missing libgtest-dev
  command -v dot >/dev/null 2>&1 || missing graphviz
fi
if [ "${1:-run}" = package ]; then
  # dpkg-shlibdeps computes the package's Depends from the program's shared libraries.
  command -v dpkg-shlibdeps >/dev/null 2>&1 || missing dpkg-dev
fi

[ -z "$need" ] && exit 0
if [ "$(id -u)" = 0 ] && [ "${2:-}" != --check ]; then
  echo "installing:$need"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq $need
else
  echo "pedprep needs Debian packages that are missing. Install them with:" >&2
  echo "  sudo apt-get install -y$need" >&2
  exit 1
fi
