#!/usr/bin/env bash
# Configures and builds one build tree. Usage: scripts/build.sh NAME [CMAKE OPTIONS...]
# The tree is build/NAME; ccache keeps its cache in build/ccache.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
name=$1
shift
export CCACHE_DIR="${CCACHE_DIR:-$top/build/ccache}"
cmake -S "$top" -B "$top/build/$name" -G Ninja -DNIVORA_WERROR=ON "$@" >/dev/null
cmake --build "$top/build/$name"
