#!/usr/bin/env bash
# Redraws the preview picture {Name}.bmp of every data/Templates/{Name}.html:
# the template is filled with fixed sample answers, shown in headless Chromium
# and the screenshot is shrunk to the 150 x 190 picture the wizard shows.
#
# Needs (Debian packages, for this tool only; Zephyro itself needs none):
#   chromium      headless screenshots
#   imagemagick   sample pictures and the conversion to BMP (/usr/bin/convert)
#   python3       filling in the templates (fill_sample.py beside this script)
#
# Usage:
#   tools/templatepreviews/make_previews.sh              redraw every preview
#   tools/templatepreviews/make_previews.sh --review DIR  also screenshot each
#       template with other answers (empty, full, dark) and at phone width
#       into DIR, for a person to look over; the previews are left alone.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
templates=$(cd "$here/../../data/Templates" && pwd)

review=""
if [[ ${1:-} == --review ]]; then
    review=${2:?--review needs a folder}
    mkdir -p "$review"
    review=$(cd "$review" && pwd)
elif [[ $# -gt 0 ]]; then
    sed -n '2,17p' "$0" >&2
    exit 2
fi

# /usr/local/bin may hold a convert that is not ImageMagick's.
convert=""
for candidate in /usr/bin/convert "$(command -v convert || true)"; do
    if [[ -x $candidate ]] && "$candidate" -version 2>/dev/null | grep -q ImageMagick; then
        convert=$candidate
        break
    fi
done
[[ -n $convert ]] || { echo "ImageMagick's convert is missing (apt-get install imagemagick)" >&2; exit 1; }
chromium=$(command -v chromium || command -v chromium-browser || true)
[[ -n $chromium ]] || { echo "chromium is missing (apt-get install chromium)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pages="$work/pages"
mkdir -p "$pages"

# Sample pictures, drawn here so nothing is fetched and nothing foreign is shipped.
"$convert" -size 600x400 gradient:'#8fc3ea'-'#fbe7c6' \
    -fill '#fff4c9' -draw 'circle 440,120 440,158' \
    -fill '#8db07a' -draw "path 'M 0,250 C 140,190 300,290 600,220 L 600,400 L 0,400 Z'" \
    -fill '#5f8a55' -draw "path 'M 0,320 C 180,260 380,360 600,300 L 600,400 L 0,400 Z'" \
    -fill '#4a6f45' -draw "path 'M 0,370 C 200,340 420,400 600,360 L 600,400 L 0,400 Z'" \
    "$pages/hills.png"
"$convert" -size 88x31 xc:'#3d5a80' -fill '#e0fbfc' -stroke none \
    -draw 'roundrectangle 3,3 84,27 4,4' -fill '#3d5a80' \
    -draw 'polygon 9,22 15,9 21,22' -font DejaVu-Sans-Bold -pointsize 11 \
    -annotate +26+20 'Zephyro' "$pages/badge.png"
"$convert" -size 1600x64 xc:'#fbf6ea' -fill '#d8c3a5' -draw 'rectangle 0,0 96,64' \
    -fill '#efe6d2' -draw 'line 0,31 1600,31' "$pages/paper.png"
"$convert" -size 88x31 gradient:'#f4a261'-'#e76f51' "$pages/button1.png"
"$convert" -size 88x31 gradient:'#2a9d8f'-'#264653' "$pages/button2.png"

# Screenshot of PAGE at WIDTHxHEIGHT into SHOT.
shoot() {
    local page=$1 size=$2 shot=$3 profile
    profile=$(mktemp -d "$work/profile.XXXXXX")
    "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync \
        --hide-scrollbars --force-device-scale-factor=1 --user-data-dir="$profile" \
        --window-size="$size" --screenshot="$shot" "file://$page" >/dev/null 2>&1
    [[ -s $shot ]] || { echo "no screenshot of $page" >&2; exit 1; }
}

found=0
for template in "$templates"/*.html; do
    [[ -e $template ]] || continue
    found=1
    name=$(basename "$template" .html)
    page="$pages/$name.html"
    if [[ -z $review ]]; then
        python3 "$here/fill_sample.py" "$template" "$page" sample
        shoot "$page" 800,1000 "$work/$name.png"
        "$convert" "$work/$name.png" -background white -alpha remove -alpha off \
            -resize '150x190!' -type TrueColor "BMP3:$templates/$name.bmp"
        echo "$name.bmp"
    else
        for variant in sample empty full dark; do
            python3 "$here/fill_sample.py" "$template" "$pages/$name-$variant.html" "$variant"
            shoot "$pages/$name-$variant.html" 800,1000 "$review/$name-$variant.png"
        done
        shoot "$pages/$name-full.html" 390,844 "$review/$name-full-phone.png"
        shoot "$pages/$name-sample.html" 390,844 "$review/$name-sample-phone.png"
        echo "$name: screenshots in $review"
    fi
done
[[ $found == 1 ]] || { echo "no templates in $templates" >&2; exit 1; }
