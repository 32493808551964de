#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs KABLOS on the sample settings.
# The sample run keeps its per-user folders in build/sample-home, never in the user's own.
# With a display the main window opens; without one KABLOS starts unattended (--check).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" release -DCMAKE_BUILD_TYPE=RelWithDebInfo

home="$top/build/sample-home"
mkdir -p "$home"
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
kablos="$top/build/release/kablos/kablos"
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$kablos" "$@"
fi
echo "No display: starting KABLOS unattended."
"$kablos" --check "$@"
echo "Per-user settings file: $XDG_DATA_HOME/Brindlex/TRIM-KIT/KABLOS.ini"

# TERVO: the sample project's back-panel lists, written twice through listhost; the second run
# moves the first run's files into FT_OUTPUT/BK/OLD. The sample has a previous revision, so
# each panel also gets its _ADD and _SUB files.
samples="$top/build/release/samples"
for run in 1 2; do
    ZELKO_HOME="$samples/zelko" "$top/build/release/platform/listhost/listhost" --yes \
        --panels all "$samples/SAMPLE" Tervo
done
echo "Back-panel lists: $samples/SAMPLE/FT_OUTPUT/BK"; ls "$samples/SAMPLE/FT_OUTPUT/BK"
