#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are missing (needs root or sudo);
# `setup.sh windows` also those of scripts/packages-windows.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$here/packages.txt")
[[ ${1:-} == windows ]] && lists+=("$here/packages-windows.txt")
missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done < <(cat "${lists[@]}")
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
