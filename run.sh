#!/usr/bin/env bash
# Installs what is missing, builds Calvane and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-packages.sh
scripts/build.sh
# Until the desktop program lands, show what the batch command makes of the examples.
echo "== calvane-batch aci examples/aci-example.csv"
build/bin/calvane-batch aci --id "example A/Ci curve" --set Temp=25 examples/aci-example.csv | tr -d '\r'
echo
echo "== calvane-batch aq examples/aq-example.csv"
build/bin/calvane-batch aq --drop --id "example light response" examples/aq-example.csv | tr -d '\r'
