#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the release build, then the whole test
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
jobs=$(nproc)

"$top/scripts/build.sh" release -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir "$top/build/release" --output-on-failure -j "$jobs"

"$top/scripts/build.sh" asan -DCMAKE_BUILD_TYPE=Debug -DNIVORA_SANITIZE=ON -DNIVORA_BENCHMARKS=OFF
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir "$top/build/asan" --output-on-failure -j "$jobs"
