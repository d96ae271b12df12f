#!/usr/bin/env bash
# Installs, with apt-get, whatever Calvane needs to build and test that is missing.
set -euo pipefail

packages=(g++ cmake ninja-build libgtest-dev libbenchmark-dev libceres-dev
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
          xvfb xauth poppler-utils fonts-dejavu-core)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
