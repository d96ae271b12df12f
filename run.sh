#!/usr/bin/env bash
# Installs what is missing, builds Calvane and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-packages.sh
scripts/build.sh
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec build/bin/calvane
fi
# Without a desktop, show what the batch command makes of the examples instead.
echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): not starting the Calvane window; running calvane-batch on the examples instead."
echo "== calvane-batch aci examples/aci-example.csv"
build/bin/calvane-batch aci --id "example A/Ci curve" --set Temp=25 examples/aci-example.csv | tr -d '\r'
echo
echo "== calvane-batch aq examples/aq-example.csv"
build/bin/calvane-batch aq --drop --id "example light response" examples/aq-example.csv | tr -d '\r'
