#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, test and run Qarlo.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev libqt6serialport6-dev qt6-qpa-plugins
  libgtest-dev libgmock-dev
  fonts-arphic-uming fonts-noto-cjk qt6-translations-l10n qt6-l10n-tools qt6-tools-dev xvfb xauth openbox x11-utils
  dpkg-dev file locales
  man-db appstream desktop-file-utils shared-mime-info udev bash-completion lintian
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# qarlo-cli's messages are tested in a terminal that is not UTF-8 too.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.gb18030'; then
  $sudo localedef -i zh_CN -f GB18030 zh_CN.GB18030
fi
