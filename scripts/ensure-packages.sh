#!/usr/bin/env bash
# Installs, with apt-get, whatever Calvane needs to build and test that is missing.
# Usage: scripts/ensure-packages.sh [fuzz]
set -euo pipefail

packages=(g++ cmake ninja-build libgtest-dev libbenchmark-dev libceres-dev
          qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
          xvfb xauth poppler-utils fonts-dejavu-core
          locales)  # the locale sources from which the tests build comma-decimal locales
# "fuzz": also what the sanitizer and fuzzing build needs (clang and its libFuzzer and
# sanitizer runtimes).
[[ "${1:-}" == fuzz ]] && packages+=(clang libclang-rt-14-dev)

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
