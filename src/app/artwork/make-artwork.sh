#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick into library/ and stock/ (committed; run again only
# to change the artwork). One palette throughout: deep blue, warm orange, green on a cream ground.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
mkdir -p library stock

BLUE='#1f5fbf'; DARK='#16335f'; ORANGE='#f08a24'; GREEN='#2e9d4a'; CREAM='#fffbf0'; SKY='#dcebff'
LATIN=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
CJK=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc

# A 90 x 98 launch tile: rounded card with a soft shadow and the year's digit in an orange badge.
# tile <out> <digit> <drawing arguments...>
card=(-fill '#00000022' -stroke none -draw "roundrectangle 6,7 87,95 12,12"
      -fill "$SKY" -stroke "$BLUE" -strokewidth 2 -draw "roundrectangle 3,3 84,91 12,12")
tile() {
  local out=$1 digit=$2; shift 2
  convert -size 90x98 xc:"$CREAM" "${card[@]}" "$@" \
    -fill "$ORANGE" -stroke white -strokewidth 2 -draw "circle 70,76 70,63" \
    -stroke none -fill white -font "$LATIN" -pointsize 18 -gravity NorthWest -annotate +64+65 "$digit" \
    -type TrueColor "$out"
}

# Sports figure running.
figure=(-stroke "$DARK" -strokewidth 5 -fill none
  -draw "line 40,36 34,58" -draw "line 38,42 52,50" -draw "line 52,50 60,40" -draw "line 38,42 24,46"
  -draw "line 24,46 18,38" -draw "line 34,58 46,70" -draw "line 46,70 44,84" -draw "line 34,58 24,70"
  -draw "line 24,70 12,70" -stroke none -fill "$DARK" -draw "circle 44,24 44,16"
  -stroke "$GREEN" -strokewidth 3 -draw "line 8,86 60,86")
# Computer; the digit on its screen is added per year.
computer=(-stroke "$DARK" -strokewidth 3 -fill white -draw "roundrectangle 12,14 74,58 4,4"
  -fill '#2b6fd6' -stroke none -draw "rectangle 17,19 69,53"
  -fill "$DARK" -draw "rectangle 38,58 48,66" -draw "roundrectangle 26,66 60,70 2,2"
  -fill white -stroke "$DARK" -strokewidth 2 -draw "polygon 14,74 60,74 56,86 10,86"
  -stroke '#9bb3d6' -strokewidth 1 -draw "line 16,78 56,78" -draw "line 14,82 54,82")

for n in 1 2 3 4; do
  tile "library/xm_$n.png" "$n" "${figure[@]}"
  tile "library/cj_$n.png" "$n" "${computer[@]}" -fill white -stroke none -font "$LATIN" -pointsize 26 \
    -gravity NorthWest -annotate +35+20 "$n"
done

# Open record book with a pen.
convert -size 90x98 xc:"$CREAM" "${card[@]}" \
  -stroke "$DARK" -strokewidth 2 -fill white -draw "polygon 10,30 44,36 44,80 10,72" \
  -draw "polygon 44,36 78,30 78,72 44,80" \
  -stroke '#9bb3d6' -strokewidth 1 -draw "line 16,42 38,46" -draw "line 16,50 38,54" -draw "line 16,58 38,62" \
  -draw "line 50,46 72,42" -draw "line 50,54 72,50" -draw "line 50,62 72,58" \
  -stroke "$ORANGE" -strokewidth 5 -draw "line 50,70 78,16" -stroke "$DARK" -strokewidth 2 -draw "line 50,70 47,77" \
  -type TrueColor library/by.png

# Arrows: right, down, left.
convert -size 81x30 xc:"$CREAM" -fill "$ORANGE" -stroke "$DARK" -strokewidth 1 \
  -draw "polygon 2,10 56,10 56,2 79,15 56,28 56,20 2,20" -type TrueColor library/arrow1.png
convert library/arrow1.png -rotate 90 library/arrow2.png
convert library/arrow1.png -flop library/arrow3.png

# Frame picture, 1016 x 712: a running track under a sky, with the product's name.
convert -size 1016x712 gradient:"$SKY"-"$CREAM" \
  -fill "$GREEN" -stroke none -draw "rectangle 0,520 1016,712" \
  -fill '#c8553d' -draw "ellipse 508,600 470,90 0,360" -fill "$GREEN" -draw "ellipse 508,600 380,55 0,360" \
  -stroke white -strokewidth 3 -fill none -draw "ellipse 508,600 425,72 0,360" \
  -stroke none -fill "$BLUE" -font "$LATIN" -pointsize 96 -gravity North -annotate +0+150 "Fitmarkel" \
  -fill "$DARK" -font "$CJK" -pointsize 40 -annotate +0+290 "大学生体质健康测试成绩计算" \
  -type TrueColor library/main.png

# Splash picture, 760 x 481 (a PNG like the rest: no JPEG decoder is loaded for it).
convert -size 760x481 gradient:"$BLUE"-"$DARK" \
  -fill '#ffffff18' -stroke none -draw "circle 640,90 640,300" -draw "circle 90,430 90,560" \
  -fill "$ORANGE" -draw "rectangle 0,300 760,308" \
  -fill white -font "$LATIN" -pointsize 104 -gravity North -annotate +0+120 "Fitmarkel" \
  -font "$CJK" -pointsize 34 -annotate +0+330 "大学生体质健康测试成绩计算  V3.0" \
  -type TrueColor library/vemka_flash.png

# Icons, 32 x 32.
icon_base() { convert -size 32x32 xc:none -fill "$1" -stroke "$DARK" -strokewidth 1 -draw "roundrectangle 1,1 30,30 7,7" "${@:2}"; }
icon_base "$BLUE" -fill white -stroke none -font "$LATIN" -pointsize 22 -gravity center -annotate +0+0 "F" \
  -fill "$ORANGE" -draw "circle 25,25 25,21" stock/AppIcon.png
icon_base "$GREEN" -fill white -stroke none -font "$LATIN" -pointsize 22 -gravity center -annotate +0+0 "F" library/vemka.png
# Start window: a figure at a door.
icon_base "$SKY" -fill "$BLUE" -stroke none -draw "rectangle 6,6 18,27" -fill "$ORANGE" -draw "circle 15,17 15,15" \
  -stroke "$DARK" -strokewidth 2 -draw "line 21,9 27,9" -draw "line 21,15 27,15" -draw "line 21,21 27,21" stock/OleGenReg.png
# Login: a key.
convert -size 32x32 xc:none -stroke "$DARK" -strokewidth 2 -fill "$ORANGE" -draw "circle 10,16 10,8" \
  -fill none -strokewidth 4 -stroke "$DARK" -draw "line 17,16 30,16" -draw "line 26,16 26,23" -draw "line 22,16 22,21" \
  -stroke none -fill white -draw "circle 8,16 8,13" stock/Custom079.png
# Exit: a door with an arrow.
convert -size 32x32 xc:none -fill "$SKY" -stroke "$DARK" -strokewidth 2 -draw "rectangle 4,3 18,29" \
  -fill "$DARK" -stroke none -draw "circle 15,17 15,15" \
  -fill '#c8553d' -draw "polygon 16,13 24,13 24,8 31,16 24,24 24,19 16,19" stock/Exit.png
# Year settings: a sheet with check marks.
convert -size 32x32 xc:none -fill white -stroke "$DARK" -strokewidth 2 -draw "roundrectangle 5,2 27,30 3,3" \
  -stroke "$GREEN" -strokewidth 3 -fill none -draw "polyline 9,10 12,13 17,7" -draw "polyline 9,20 12,23 17,17" \
  -stroke "$BLUE" -strokewidth 2 -draw "line 19,11 24,11" -draw "line 19,21 24,21" stock/FullBuild.png
# Year score: a calculator.
convert -size 32x32 xc:none -fill "$BLUE" -stroke "$DARK" -strokewidth 2 -draw "roundrectangle 6,2 26,30 3,3" \
  -fill "$SKY" -stroke none -draw "rectangle 9,5 23,11" -fill white \
  -draw "rectangle 9,14 13,17" -draw "rectangle 14,14 18,17" -draw "rectangle 19,14 23,17" \
  -draw "rectangle 9,19 13,22" -draw "rectangle 14,19 18,22" -fill "$ORANGE" -draw "rectangle 19,19 23,27" \
  -fill white -draw "rectangle 9,24 13,27" -draw "rectangle 14,24 18,27" stock/Properties.png
# Graduation: a mortarboard.
convert -size 32x32 xc:none -fill "$DARK" -stroke "$DARK" -strokewidth 1 -draw "polygon 1,12 16,5 31,12 16,19" \
  -draw "polygon 8,16 8,24 16,28 24,24 24,16 16,20" -stroke "$ORANGE" -strokewidth 2 -draw "line 26,13 26,24" \
  -fill "$ORANGE" -stroke none -draw "circle 26,25 26,27" stock/EditObject.png
# Re-login: two turning arrows.
convert -size 32x32 xc:none -fill none -stroke "$BLUE" -strokewidth 4 -draw "arc 5,5 27,27 200,340" \
  -stroke "$GREEN" -draw "arc 5,5 27,27 20,160" -stroke none -fill "$BLUE" -draw "polygon 23,2 30,11 21,13" \
  -fill "$GREEN" -draw "polygon 9,30 2,21 11,19" stock/RunSCC.png
# Save: a disk.
convert -size 32x32 xc:none -fill "$BLUE" -stroke "$DARK" -strokewidth 2 -draw "roundrectangle 3,3 29,29 3,3" \
  -fill white -stroke none -draw "rectangle 8,4 24,13" -fill "$DARK" -draw "rectangle 19,6 22,11" \
  -fill "$SKY" -draw "rectangle 7,18 25,28" -stroke "$BLUE" -strokewidth 1 -draw "line 10,22 22,22" \
  -draw "line 10,25 22,25" stock/Save.png
# Close: a cross in a red disc.
convert -size 32x32 xc:none -fill '#c8553d' -stroke "$DARK" -strokewidth 1 -draw "circle 16,16 16,2" \
  -stroke white -strokewidth 4 -draw "line 10,10 22,22" -draw "line 22,10 10,22" stock/Close.png
# 8 bits per channel (16 would only cost decoding time and memory); no timestamps in the files, so drawing
# again gives the same bytes.
mogrify -strip -depth 8 -define png:exclude-chunks=date,time library/*.png stock/*.png
echo "artwork written"
