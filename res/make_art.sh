#!/usr/bin/env bash
# Makes the launcher's artwork: background.bmp (500x531, 24-bit) and app.ico
# (one 32x32 image, 32-bit). The outputs are kept in the tree; run this only to
# change them. Needs Debian's imagemagick and fonts-dejavu-core.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# /usr/local/bin may hold a stand-in named convert; only ImageMagick's will do.
im=/usr/bin/convert
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
book=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
for need in "$im" "$bold" "$book"; do
  [ -e "$need" ] || { echo "make_art.sh: missing $need (apt-get install imagemagick fonts-dejavu-core)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

screen='#10131b'   # plain: also what shows behind MAIN and X
panel='#161a25'
frame='#3a4158'
gold='#f2c467'
dim='#7c849c'

# The window's screen: an outer frame, the logo and title at the top centre,
# a large panel on the left, a small one at the upper right and a footer line
# just above the status band (y 475), which the program paints itself. The
# area behind MAIN (350..470 x 440..480) and X (456..490 x 10..38) stays plain.
"$im" -size 500x531 "xc:$screen" \
  -fill none -stroke "$frame" -strokewidth 2 -draw 'rectangle 4,4 495,526' \
  -stroke "$gold" -strokewidth 1 -draw 'line 150,84 350,84' \
  -fill "$panel" -stroke "$frame" -strokewidth 2 -draw 'roundrectangle 20,100 330,430 8,8' \
  -fill "$panel" -stroke "$frame" -strokewidth 2 -draw 'roundrectangle 350,100 480,230 8,8' \
  -fill none -stroke "$gold" -strokewidth 3 -draw 'polygon 180,26 198,14 216,26 216,50 198,62 180,50' \
  -fill "$gold" -stroke none -font "$bold" -pointsize 20 -draw 'text 189,45 "M"' \
  -fill "$gold" -stroke none -font "$bold" -pointsize 36 -draw 'text 226,53 "MOK"' \
  -fill "$dim" -stroke none -font "$book" -pointsize 11 -draw 'text 22,466 "MOK Game Studio  -  Self Repair 3.0"' \
  -fill '#0c0e14' -stroke none -draw 'rectangle 0,475 499,530' \
  -type TrueColor "BMP3:$work/background.bmp"

# The icon: a gold tile with a dark M, on a transparent corner.
"$im" -size 32x32 xc:none \
  -fill "$gold" -stroke none -draw 'roundrectangle 1,1 30,30 6,6' \
  -fill "$screen" -font "$bold" -pointsize 22 -gravity center -draw 'text 0,1 "M"' \
  -define png:color-type=6 "PNG32:$work/icon.png"
"$im" "$work/icon.png" -type TrueColorAlpha "ICO:$work/app.ico"

mv "$work/background.bmp" "$here/background.bmp"
mv "$work/app.ico" "$here/app.ico"
echo "make_art.sh: wrote $here/background.bmp and $here/app.ico"
