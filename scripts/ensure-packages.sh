#!/usr/bin/env bash
# Installs, with apt-get, whatever Calvane needs that is missing.
# Usage: scripts/ensure-packages.sh [ci] [fuzz]
set -euo pipefail

# Building and testing (./run.sh, ./test.sh).
packages=(g++ cmake ninja-build libceres-dev libgtest-dev
          qt6-base-dev qt6-charts-dev qt6-svg-dev
          libqt6opengl6-dev  # Qt6Charts' CMake package asks for Qt6OpenGL, which only this one holds
          fonts-dejavu-core  # a font to draw charts, figures and printed pages in, with no desktop
          poppler-utils      # pdftotext, pdfinfo, pdffonts: the tests read printed PDF files back
          locales)           # the locale sources from which the tests build comma-decimal locales
for group in "$@"; do
    case "$group" in
        # CI's further checks: the benchmarks (built, not run), clang-tidy and the format check.
        ci) packages+=(libbenchmark-dev clang-tidy clang-format) ;;
        # The sanitizer and fuzzing build: clang and its libFuzzer and sanitizer runtimes.
        fuzz) packages+=(clang libclang-rt-14-dev) ;;
        *) echo "Unknown package group: $group (ci, fuzz)" >&2; exit 2 ;;
    esac
done

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
