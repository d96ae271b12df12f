#!/usr/bin/env bash
# Configures and builds Calvane into build/ (Ninja). Under CI (CI=true) every warning is
# an error (CALVANE_WERROR), so that CI keeps the count at zero; elsewhere a newer
# compiler's new warning does not stop a build.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=OFF
[[ "${CI:-}" == true ]] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCALVANE_WERROR="$werror" >/dev/null
cmake --build build
