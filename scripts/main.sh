#!/usr/bin/env bash
# The main job: installs what is missing, builds, shows the dry run of the sample casting data
# and processes it with KABLOS in batch mode against the machine simulator (binary protocol) on
# a pseudo-terminal.
# The sample run keeps its per-user folders in build/sample-home, never in the user's own.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" release -DCMAKE_BUILD_TYPE=RelWithDebInfo

home="$top/build/sample-home"
mkdir -p "$home/config/Brindlex"
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
kablos="$top/build/release/kablos/kablos"
sim="$top/build/release/tools/machine-sim/machine-sim"

# The machine: the simulator on a pseudo-terminal reached through build/sample-home/machine.
rm -f "$home/machine.log" "$home/machine.bin"
"$sim" --protocol binary --link "$home/machine" --log "$home/machine.log" \
    --raw "$home/machine.bin" >/dev/null &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -e "$home/machine" ]] && break; sleep 0.1; done

# KABLOS's per-user store: binary protocol on port 1, which is the simulator's terminal.
printf '[Properties]\nMType=B\nCommPort=1\nSettings="9600,N,8,1"\n\n[Ports]\n1=%s\n' \
    "$home/machine" >"$XDG_CONFIG_HOME/Brindlex/電線処理ダイアログ.ini"

# First the dry run: what the batch run below will send, wire by wire, and whether the reel
# lasts, without the machine and without saving anything (--set N of the arguments goes to it).
dry=()
for ((i = 1; i <= $#; i++)); do
    if [[ ${!i} == --set ]]; then
        next=$((i + 1))
        dry+=(--set "${!next}")
    fi
done
echo "KABLOS: the dry run of samples/casting.txt (what the batch run will send)."
"$kablos" --dry-run "$top/samples/casting.txt" "${dry[@]}" ||
    echo "KABLOS: the dry run says the batch run would not go through."
echo
echo "KABLOS: processing samples/casting.txt on the simulated machine (binary protocol)."
"$kablos" --batch "$top/samples/casting.txt" "$@"
echo "Wire lengths the machine took (its log, $home/machine.log):"
{ grep 'wire length' "$home/machine.log" || true; } | sed 's/^/  /'
echo "Bytes the machine received: $(stat -c %s "$home/machine.bin") (raw: $home/machine.bin)"
echo "Per-user settings file: $XDG_DATA_HOME/Brindlex/TRIM-KIT/KABLOS.ini"

# The wire-processing table of the sample casting data: a PDF through LibreOffice when it is
# installed, else the filled workbook.
table="$top/build/sample-table.xlsx"
if command -v soffice >/dev/null; then
    table="$top/build/sample-table.pdf"
fi
"$kablos" --print-table "$top/samples/casting.txt" --template "$top/samples/processing-table.xlsx" \
    --output "$table"

# ROUTIX in the stand-in CAD host: the sample project's first layout drawing, entry points 1012
# (clears the 3D mode) and 1029 (asks for a plate first: the message box is answered OK), with a
# picture of the drawing before and after them (build/layout-before.png, build/layout-after.png).
samples="$top/build/release/samples"
cat >"$home/routix.scr" <<SCRIPT
open "$samples/SAMPLE/DWG/LAYOUT/LAYOUT_ROW1.dwg"
render "$top/build/layout-before.png"
ordinal 1012
ordinal 1029
render "$top/build/layout-after.png"
SCRIPT
echo "ROUTIX: entry points 1012 and 1029 on LAYOUT_ROW1 (script $home/routix.scr)."
"$top/build/release/platform/host/cadhost" --release 23 --script "$home/routix.scr"
echo "Pictures of LAYOUT_ROW1: $top/build/layout-before.png, $top/build/layout-after.png"

# ROUTIX's development drawings (entry point 1000) on a copy of the sample project (the
# sample's own development drawings keep the handles its route cuts name): dialog 207 with only
# the first row ROW1 ticked and "Not Blockage" ticked, the existing LAYOUT_ROW1 overwritten;
# a picture of the new drawing (build/development.png).
devcopy="$home/SAMPLE-development"
rm -rf "$devcopy"
mkdir -p "$home/tmp"
cp -r "$samples/SAMPLE" "$devcopy"
cat >"$home/routix-development.scr" <<SCRIPT
open "$devcopy/DWG/PANEL/P01.dwg"
ordinal 1000
> cell 235 2 1 0
> check 234 1
> OK
> YES
open "$devcopy/DWG/LAYOUT/LAYOUT_ROW1.dwg"
render "$top/build/development.png"
SCRIPT
echo "ROUTIX: entry point 1000 on a copy of the sample project (script $home/routix-development.scr)."
TMPDIR="$home/tmp/" ZELKO_HOME="$samples/zelko" "$top/build/release/platform/host/cadhost" \
    --release 23 --project "$devcopy" --script "$home/routix-development.scr"
echo "Development drawing: $devcopy/DWG/LAYOUT/LAYOUT_ROW1.dwg, picture $top/build/development.png"

# ROUTIX's layout key file (entry point 1006) of the sample project's layout folder, with the
# project open: the development drawings' symbols and terminals, one line each.
layout="$samples/SAMPLE/DWG/LAYOUT"
printf 'ordinal 1006\n> %s\n' "$layout" >"$home/routix-key.scr"
echo "ROUTIX: entry point 1006 on $layout (script $home/routix-key.scr)."
ZELKO_HOME="$samples/zelko" "$top/build/release/platform/host/cadhost" --release 23 \
    --project "$samples/SAMPLE" --script "$home/routix-key.scr"
echo "Layout key file: $layout/LayoutKey2D.txt ($(($(wc -l <"$layout/LayoutKey2D.txt") - 1)) rows)"

# ROUTIX's WP duct lines (entry point 1033) on the sample's first development drawing: the
# centre lines of the ducts on layer "DUCT", the stem of each T lengthened to the bar's centre
# line with a junction mark, the crossing ducts unmarked. The drawing is saved beside the
# pictures (build/ducts.dwg), the sample project keeps its own; build/ducts.png shows the
# first panel.
cat >"$home/routix-ducts.scr" <<SCRIPT
open "$samples/SAMPLE/DWG/LAYOUT/LAYOUT_ROW1.dwg"
ordinal 1033
render "$top/build/ducts.png" -50,-50 1400,950
save "$top/build/ducts.dwg"
SCRIPT
echo "ROUTIX: entry point 1033 on LAYOUT_ROW1 (script $home/routix-ducts.scr)."
ZELKO_HOME="$samples/zelko" "$top/build/release/platform/host/cadhost" --release 23 \
    --script "$home/routix-ducts.scr"
echo "WP duct lines: $top/build/ducts.dwg, picture $top/build/ducts.png"

# ROUTIX's relay terminals (entry point 1004): the inside-panel relay terminals of panel P1 in
# its panel drawing, written to the parameter file BannaiParam.txt (in build/sample-home/tmp)
# and placed by the placement service to the right of the panel; a picture of them
# (build/relay-terminals.png). The drawing itself is not saved.
mkdir -p "$home/tmp"
cat >"$home/routix-relay.scr" <<SCRIPT
open "$samples/SAMPLE/DWG/PANEL/P01.dwg"
ordinal 1004
> 900,100
render "$top/build/relay-terminals.png" 880,70 940,110
SCRIPT
echo "ROUTIX: entry point 1004 on P01 (script $home/routix-relay.scr)."
TMPDIR="$home/tmp" ZELKO_HOME="$samples/zelko" "$top/build/release/platform/host/cadhost" \
    --release 23 --project "$samples/SAMPLE" --script "$home/routix-relay.scr"
echo "Parameter file $home/tmp/BannaiParam.txt (tabs shown as |):"
tr '\t' '|' <"$home/tmp/BannaiParam.txt"
echo "Picture of the placed terminal blocks: $top/build/relay-terminals.png"

# ROUTIX's entry directions (entry point 1011) of the sample's first layout drawing: the target
# dialog answered OK (all terminals), the direction attributes written and the marks drawn on
# layer "WARNING", twice, which leaves one set of marks. The drawing is saved beside the
# pictures (build/directions.dwg); build/directions.png shows the first components of panel P1.
cat >"$home/routix-directions.scr" <<SCRIPT
open "$samples/SAMPLE/DWG/LAYOUT/LAYOUT_ROW1.dwg"
ordinal 1011
> OK
ordinal 1011
> OK
render "$top/build/directions.png" 40,600 160,700
save "$top/build/directions.dwg"
SCRIPT
echo "ROUTIX: entry point 1011 twice on LAYOUT_ROW1 (script $home/routix-directions.scr)."
ZELKO_HOME="$samples/zelko" "$top/build/release/platform/host/cadhost" --release 23 \
    --project "$samples/SAMPLE" --script "$home/routix-directions.scr"
echo
count_marks() {
    /usr/bin/python3 -c 'import sys, collections, ezdxf
marks = collections.Counter(e.dxf.name if e.dxftype() == "INSERT" else e.dxftype()
                            for e in ezdxf.readfile(sys.argv[1]).modelspace()
                            if e.dxf.layer == "WARNING")
print("Direction marks in %s: %s" % (sys.argv[1], ", ".join("%s %d" % m for m in sorted(marks.items()))))' \
        "$1"
}
count_marks "$top/build/directions.dwg"
echo "Picture of the direction marks: $top/build/directions.png"

# The same in 3D (entry point 1032) on the sample's 3D layout drawing of panel P1,
# LAYOUT_P01: the terminal records of that drawing name, the marks at the symbols' 3D pin
# offsets, those of the back face's symbols (REVERSE) turned to the back side, an N mark where
# the nearest duct was stored. Saved as build/directions-3d.dwg, seen from above in
# build/directions-3d.png.
cat >"$home/routix-directions-3d.scr" <<SCRIPT
open "$samples/SAMPLE/DWG/LAYOUT/LAYOUT_P01.dwg"
ordinal 1032
> OK
render "$top/build/directions-3d.png" -20,-20 620,820
save "$top/build/directions-3d.dwg"
SCRIPT
echo "ROUTIX: entry point 1032 on LAYOUT_P01 (script $home/routix-directions-3d.scr)."
ZELKO_HOME="$samples/zelko" "$top/build/release/platform/host/cadhost" --release 23 \
    --project "$samples/SAMPLE" --script "$home/routix-directions-3d.scr"
echo
count_marks "$top/build/directions-3d.dwg"
echo "Picture of the 3D direction marks: $top/build/directions-3d.png"

# ROUTIX's surplus length (entry point 1007) on the sample symbol CB1 of the first panel
# drawing, picked first: the dialog is answered with 150 mm and the drawing saved as
# build/surplus-length.dwg, whose ADDITION attribute ezdxf then reads back.
surplus="$top/build/surplus-length.dwg"
handle=$(/usr/bin/python3 -c 'import sys, ezdxf
d = ezdxf.readfile(sys.argv[1])
print(next(r.dxf.handle for r in d.modelspace().query("INSERT")
           if any(a.dxf.tag == "NAME" and a.dxf.text == "CB1" for a in r.attribs)))' \
    "$samples/SAMPLE/DWG/PANEL/P01.dwg")
cat >"$home/routix-surplus.scr" <<SCRIPT
open "$samples/SAMPLE/DWG/PANEL/P01.dwg"
select $handle
ordinal 1007
> text 205 150
> OK
save "$surplus"
SCRIPT
echo "ROUTIX: entry point 1007 on the symbol CB1 of P01 (script $home/routix-surplus.scr)."
"$top/build/release/platform/host/cadhost" --release 23 --script "$home/routix-surplus.scr"
/usr/bin/python3 -c 'import sys, ezdxf
ref = ezdxf.readfile(sys.argv[1]).entitydb[sys.argv[2]]
for a in ref.attribs:
    if a.dxf.tag == "ADDITION":
        print("Surplus length of CB1 in %s: ADDITION = %s (layer %s)" % (sys.argv[1], a.dxf.text, a.dxf.layer))' \
    "$surplus" "$handle"

# TERVO: the sample project's back-panel lists, written twice through listhost; the second run
# moves the first run's files into FT_OUTPUT/BK/OLD. The sample has a previous revision, so
# each panel also gets its _ADD and _SUB files.
for run in 1 2; do
    ZELKO_HOME="$samples/zelko" "$top/build/release/platform/listhost/listhost" --yes \
        --panels all "$samples/SAMPLE" Tervo
done
echo "Back-panel lists: $samples/SAMPLE/FT_OUTPUT/BK"; ls "$samples/SAMPLE/FT_OUTPUT/BK"
