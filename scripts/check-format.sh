#!/usr/bin/env bash
# Checks that every tracked C++ file is formatted as .clang-format says (clang-format 14,
# Debian 12's): names each file that is not, shows the first differences and fails.
# Usage: scripts/check-format.sh [--report]
#   --report  only says how many files differ, and succeeds.
# To reformat a file: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."

report_only=false
[[ "${1:-}" == --report ]] && report_only=true

mapfile -t files < <(git ls-files '*.cpp' '*.h')
unformatted=()
for file in "${files[@]}"; do
    clang-format --dry-run --Werror "$file" 2>/dev/null || unformatted+=("$file")
done

if ((${#unformatted[@]} == 0)); then
    echo "Formatting: all ${#files[@]} C++ files as .clang-format says."
    exit 0
fi
echo "Formatting: ${#unformatted[@]} of ${#files[@]} C++ files differ from .clang-format ($(clang-format --version))."
$report_only && exit 0
printf '  %s\n' "${unformatted[@]}"
{ clang-format --dry-run "${unformatted[@]:0:3}" 2>&1 || true; } | head -n 60
exit 1
