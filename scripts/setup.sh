#!/usr/bin/env bash
# Installs what the project needs on a Debian 12 machine, only when something
# is missing, so a second run installs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-webengine-dev qt6-qpa-plugins libgl-dev
  googletest libgtest-dev
  fonts-wqy-zenhei
  microsocks
)
if [ -n "${MJ_EXTRA_PACKAGES:-}" ]; then
  read -r -a extra <<<"$MJ_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
