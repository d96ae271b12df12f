#!/usr/bin/env bash
# Runs clang-tidy with .clang-tidy's checks over the toolkit-free sources (and the headers
# they include from this tree), using the compile_commands.json of a build; any finding
# fails. Usage: scripts/check-tidy.sh [BUILD_DIR]   (default: build, as scripts/build.sh makes it)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [[ ! -f "$build/compile_commands.json" ]]; then
    echo "No $build/compile_commands.json: configure and build first (scripts/build.sh)." >&2
    exit 2
fi

mapfile -t files < <(git ls-files 'core/*.cpp' 'fit/*.cpp' 'import/*.cpp' 'aci/*.cpp' 'aq/*.cpp' 'shell/*.cpp' \
                                  'chart/drawing/*.cpp' 'batch/*.cpp' 'tresponse/*.cpp')
# The build's GCC-only warning options mean nothing to clang; clang's count of the
# warnings it suppressed (system headers) is left out of the output.
set +e
printf '%s\0' "${files[@]}" |
    xargs -0 -n 4 -P "$(nproc)" clang-tidy -p "$build" --quiet --warnings-as-errors='*' \
        --extra-arg=-Wno-unknown-warning-option 2>&1 |
    grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$'
status=${PIPESTATUS[1]}
set -e
if ((status != 0)); then
    echo "clang-tidy: findings above (.clang-tidy says which checks run)." >&2
    exit 1
fi
echo "clang-tidy: no findings in ${#files[@]} files."
