#!/usr/bin/env bash
# Installs what building and testing Rondel needs on Debian 12 (run as root), the Japanese
# locale that Wine takes code page 932 from, and an English one. Quick when everything is there.
set -euo pipefail

packages=(
    cmake ninja-build g++ make
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    clang-14 libclang-rt-14-dev llvm-14  # the fuzz preset: libFuzzer, sanitizer runtimes, llvm-symbolizer
    wine wine64
    xvfb xauth x11-utils imagemagick
    fonts-ipafont-gothic fonts-wine locales
    util-linux procps
    python3  # host-side tests: the CSV read by its csv module, the package unpacked and started
    wixl msitools osslsigncode openssl  # the package: the MSI, its tables read back, the signatures, a test certificate
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# ja_JP for the program's own runs; en_US for the run that shows it reads right on a Windows
# of another language.
needed=()
for name in ja_JP en_US; do
    locale -a 2>/dev/null | grep -qi "^$name\.utf-\?8\$" || needed+=("$name")
done
if ((${#needed[@]})); then
    for name in "${needed[@]}"; do
        sed -i "s/^# *\($name.UTF-8 UTF-8\)/\1/" /etc/locale.gen
        grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen || echo "$name.UTF-8 UTF-8" >>/etc/locale.gen
    done
    locale-gen >/dev/null
fi
