#!/usr/bin/env bash
# Regenerates the sample textbook under data/drive_c (the C: drive of a test
# WINEPREFIX): the configuration file, figures, captions, a supplementary
# page and click sounds. Windows text files are written in Windows-1251 with
# CR LF line ends. Running it again gives byte-identical files.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

fonts=/usr/share/fonts/truetype/liberation
sans=$fonts/LiberationSans-Regular.ttf
bold=$fonts/LiberationSans-Bold.ttf
ital=$fonts/LiberationSerif-Italic.ttf
bital=$fonts/LiberationSerif-BoldItalic.ttf
jpeg=(-strip -type TrueColor -interlace none -sampling-factor 4:2:0 -quality 85)
# Stroked open paths need round joins: with miter joins this ImageMagick
# closes them back to their start.
round='stroke-linejoin round stroke-linecap round'
# One thread keeps anti-aliasing identical from run to run.
export MAGICK_THREAD_LIMIT=1

install_tools() {
    command -v convert >/dev/null && command -v sox >/dev/null &&
        [[ -f $sans ]] && return
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
    ((EUID == 0)) || apt=(sudo "${apt[@]}")
    "${apt[@]}" update -q
    "${apt[@]}" install -y -q imagemagick sox fonts-liberation
}

# write_1251 FILE: stdin (UTF-8) to FILE in Windows-1251 with CR LF line ends.
write_1251() {
    mkdir -p "$(dirname "$1")"
    sed 's/$/\r/' | iconv -f UTF-8 -t WINDOWS-1251 >"$1"
}

# caption FILE TEXT: a caption file; its first line is the caption itself.
caption() {
    write_1251 "$1" <<END
$2
<html>
<head><meta http-equiv="Content-Type" content="text/html; charset=windows-1251"></head>
<body><p>$2</p></body>
</html>
END
}

# click FILE HERTZ: a short decaying tone, 16-bit mono PCM.
click() {
    mkdir -p "$(dirname "$1")"
    sox -R -D -n -r 44100 -b 16 -c 1 -e signed-integer "$1" \
        synth 0.04 sine "$2" fade h 0.002 0.04 0.034 gain -4
}

# A labelled diagram: an animal cell with its organelles.
figure_cell() {
    local zigzag='path "M -30,0 L -22,-10 L -14,10 L -6,-10 L 2,10 L 10,-10 L 18,10 L 26,0"'
    convert -size 800x600 xc:white \
        -stroke '#7a4e22' -strokewidth 7 -fill '#f6e7c6' -draw 'ellipse 300,300 250,215 0,360' \
        -stroke '#c9a46a' -strokewidth 2 -fill none -draw 'ellipse 300,300 241,206 0,360' \
        -stroke '#b98f52' -strokewidth 3 \
        -draw "$round path 'M 200,210 C 170,250 170,330 200,370'" \
        -draw "$round path 'M 185,195 C 150,245 150,335 185,385'" \
        -stroke '#5b3f86' -strokewidth 4 -fill '#d9c8ee' -draw 'circle 300,290 300,200' \
        -stroke none -fill '#6b4d98' -draw 'circle 318,272 318,246' \
        -fill '#9b84c4' -draw 'circle 270,320 273,320' -draw 'circle 285,250 288,250' \
        -draw 'circle 330,330 333,330' -draw 'circle 255,280 258,280' \
        -stroke '#a33d2a' -strokewidth 3 -fill '#f2a68c' \
        -draw 'translate 170,170 rotate -30 ellipse 0,0 42,18 0,360' \
        -draw 'translate 430,410 rotate 20 ellipse 0,0 42,18 0,360' \
        -draw 'translate 160,420 rotate 35 ellipse 0,0 38,16 0,360' \
        -strokewidth 2 -fill none \
        -draw "translate 170,170 rotate -30 $round $zigzag" \
        -draw "translate 430,410 rotate 20 $round $zigzag" \
        -draw "translate 160,420 rotate 35 scale 0.9,0.9 $round $zigzag" \
        -stroke '#3f7fb0' -strokewidth 3 -fill '#cfe6f7' -draw 'ellipse 420,190 55,38 0,360' \
        -stroke '#2f8a4a' -strokewidth 5 -fill none \
        -draw "$round path 'M 440,300 Q 470,330 440,360'" \
        -draw "$round path 'M 455,290 Q 490,330 455,370'" \
        -draw "$round path 'M 470,282 Q 510,330 470,378'" \
        -stroke none -fill '#444444' \
        -draw 'circle 205,215 208,215' -draw 'circle 198,240 201,240' -draw 'circle 192,268 195,268' \
        -draw 'circle 188,300 191,300' -draw 'circle 192,332 195,332' -draw 'circle 200,358 203,358' \
        -draw 'circle 380,470 383,470' -draw 'circle 350,480 353,480' -draw 'circle 240,470 243,470' \
        -stroke '#333333' -strokewidth 1.5 \
        -draw 'line 585,60 480,151' -draw 'line 585,130 455,210' -draw 'line 585,200 340,258' \
        -draw 'line 585,270 380,290' -draw 'line 585,340 505,330' -draw 'line 585,410 462,421' \
        -draw 'line 585,480 383,470' -draw 'line 585,550 300,460' \
        -stroke none -fill '#1a1a1a' -font "$sans" -pointsize 20 \
        -annotate +591+67 'Клеточная мембрана' -annotate +591+137 'Вакуоль' \
        -annotate +591+207 'Ядрышко' -annotate +591+277 'Ядро' \
        -annotate +591+347 'Аппарат Гольджи' -annotate +591+417 'Митохондрия' \
        -annotate +591+487 'Рибосомы' -annotate +591+557 'Цитоплазма' \
        "${jpeg[@]}" "$1"
}

# A small plot: speed against time for uniformly accelerated motion.
# Origin at (40,205); 1 s is 40 px, 1 m/s is 12 px.
figure_graph() {
    local marks=() i
    for i in 1 2 3 4 5 6; do
        marks+=(-stroke '#d5dde6' -draw "line $((40 + 40 * i)),205 $((40 + 40 * i)),37")
        marks+=(-stroke none -annotate "+$((36 + 40 * i))+221" "$i")
    done
    for i in 2 4 6 8 10 12 14; do
        marks+=(-stroke '#d5dde6' -draw "line 40,$((205 - 12 * i)) 290,$((205 - 12 * i))")
        marks+=(-stroke none -annotate "+$((i < 10 ? 24 : 17))+$((209 - 12 * i))" "$i")
    done
    convert -size 320x240 xc:white \
        -fill '#202020' -font "$sans" -pointsize 12 -strokewidth 1 "${marks[@]}" -annotate +30+221 '0' \
        -stroke '#202020' -strokewidth 1.5 -draw 'line 40,215 40,14' -draw 'line 30,205 305,205' \
        -stroke none -draw 'polygon 40,8 36,20 44,20' -draw 'polygon 311,205 299,201 299,209' \
        -stroke '#7f8c8d' -strokewidth 1 -draw 'stroke-dasharray 4 3 line 280,37 280,205' \
        -stroke '#c0392b' -strokewidth 2.5 -draw 'line 40,181 280,37' \
        -strokewidth 1 -fill '#c0392b' -draw 'circle 40,181 43,181' -draw 'circle 280,37 283,37' \
        -stroke none -fill '#202020' -font "$ital" -pointsize 15 -annotate +50+18 'v' -annotate +292+226 't' \
        -font "$sans" -pointsize 12 -annotate +58+18 ', м/с' -annotate +297+226 ', с' \
        -fill '#c0392b' -font "$ital" -pointsize 14 -annotate +70+60 'v = 2 + 2t' \
        "${jpeg[@]}" "$1"
}

# A large physical map. The relief is drawn at a quarter of the size and
# blurred, so heights blend smoothly once enlarged (and compress well).
figure_map() {
    local grid=() i
    for i in 400 800 1200 1600; do grid+=(-draw "stroke-dasharray 24 16 line 0,$i 3200,$i"); done
    for i in 640 1280 1920 2560; do grid+=(-draw "stroke-dasharray 24 16 line $i,0 $i,2000"); done
    local legend=(
        -stroke '#606060' -strokewidth 3 -fill '#f3f8ee' -draw 'rectangle 2420,1380 3140,1940'
        -strokewidth 2
        -fill '#a8d08d' -draw 'rectangle 2460,1470 2540,1520'
        -fill '#cfe0a0' -draw 'rectangle 2460,1540 2540,1590'
        -fill '#e7d392' -draw 'rectangle 2460,1610 2540,1660'
        -fill '#c8935a' -draw 'rectangle 2460,1680 2540,1730'
        -stroke '#202020' -strokewidth 4 -fill '#e04a3a' -draw 'circle 2500,1775 2500,1790'
        -strokewidth 3 -draw 'line 2460,1880 2620,1880' -draw 'line 2460,1865 2460,1895'
        -draw 'line 2540,1870 2540,1890' -draw 'line 2620,1865 2620,1895'
        -stroke none -fill '#1a1a1a' -font "$bold" -pointsize 44 -annotate +2460+1440 'Высота над уровнем моря'
        -font "$sans" -pointsize 42 -annotate +2570+1510 '0–200 м' -annotate +2570+1580 '200–500 м'
        -annotate +2570+1650 '500–1000 м' -annotate +2570+1720 'более 1000 м'
        -annotate +2570+1790 'населённый пункт'
        -pointsize 36 -annotate +2450+1850 '0' -annotate +2520+1850 '25' -annotate +2595+1850 '50 км'
    )
    convert -size 800x500 xc:'#8ec5e6' \
        -fill '#a8d08d' -draw 'polygon 0,0 800,0 800,500 430,500 400,440 330,420 300,360 220,350 170,400 90,420 0,380' \
        -fill '#cfe0a0' -draw 'ellipse 560,190 190,120 0,360' -draw 'ellipse 330,130 120,70 0,360' \
        -fill '#e7d392' -draw 'ellipse 600,150 130,70 0,360' \
        -fill '#d4a464' -draw 'translate 640,120 rotate -25 ellipse 0,0 120,38 0,360' \
        -fill '#b9824a' -draw 'translate 650,115 rotate -25 ellipse 0,0 60,18 0,360' \
        -fill '#8ec5e6' -draw 'ellipse 250,230 45,28 0,360' \
        -blur 0x5 -resize '3200x2000!' \
        -stroke white -strokewidth 3 "${grid[@]}" \
        -fill none -stroke '#3a86c4' -strokewidth 10 \
        -draw "$round path 'M 2560,520 C 2350,700 2150,760 1975,905 C 1800,1050 1550,1100 1400,1180 C 1280,1245 1250,1350 1230,1470'" \
        -strokewidth 7 \
        -draw "$round path 'M 930,120 C 1000,300 880,450 960,600 C 1010,690 990,760 990,815'" \
        -draw "$round path 'M 1160,980 C 1230,1060 1330,1120 1420,1170'" \
        -stroke '#202020' -strokewidth 4 -fill '#e04a3a' \
        -draw 'rectangle 1230,1170 1270,1210' -draw 'circle 1960,900 1960,918' \
        -draw 'circle 700,1130 700,1145' -draw 'circle 1640,460 1640,475' \
        -fill '#5a3a1a' -draw 'polygon 2600,400 2565,460 2635,460' \
        -stroke none -fill '#1a1a1a' -font "$bold" -pointsize 64 -annotate +1050+1165 'г. Северск' \
        -font "$sans" -pointsize 56 -annotate +1995+890 'г. Озёрск' -annotate +730+1120 'пос. Лесной' \
        -annotate +1665+450 'пос. Горный' -annotate +2655+445 'г. Высокая' -annotate +2655+505 '1240 м' \
        -fill '#1f5f99' -font "$ital" -pointsize 64 -annotate +870+1010 'оз. Светлое' \
        -annotate -32x-32+2130+700 'р. Быстрая' -annotate +1000+430 'р. Каменка' \
        -font "$bital" -pointsize 100 -annotate +180+1800 'Т и х и й   з а л и в' \
        -fill '#6b4420' -pointsize 80 -annotate -25x-25+2230+330 'Каменный хребет' \
        -fill '#3d6b2a' -annotate +250+330 'Зелёная равнина' \
        -fill white -font "$sans" -pointsize 40 \
        -annotate +650+45 '32°' -annotate +1290+45 '34°' -annotate +1930+45 '36°' -annotate +2570+45 '38°' \
        -annotate +12+390 '58°' -annotate +12+790 '57°' -annotate +12+1190 '56°' -annotate +12+1590 '55°' \
        "${legend[@]}" "${jpeg[@]}" "$1"
}

# A series circuit: source, key, resistor, ammeter, lamp with a voltmeter.
figure_circuit() {
    convert -size 640x480 xc:white -fill none -stroke '#1a1a1a' -strokewidth 3 \
        -draw 'line 120,120 220,120' -draw 'line 290,120 340,120' -draw 'line 420,120 520,120' \
        -draw 'line 520,120 520,212' -draw 'line 520,268 520,360' \
        -draw 'line 520,360 348,360' -draw 'line 292,360 120,360' \
        -draw 'line 120,360 120,252' -draw 'line 120,228 120,120' \
        -draw 'line 520,170 600,170' -draw 'line 600,170 600,212' \
        -draw 'line 600,268 600,310' -draw 'line 600,310 520,310' \
        -draw 'line 222,120 284,92' -draw 'rectangle 340,108 420,132' \
        -draw 'circle 520,240 520,212' -draw 'line 500,220 540,260' -draw 'line 540,220 500,260' \
        -fill white -draw 'circle 600,240 600,212' -draw 'circle 320,360 320,332' \
        -draw 'line 90,228 150,228' -strokewidth 7 -draw 'line 105,252 135,252' \
        -stroke none -fill '#1a1a1a' -draw 'circle 520,170 525,170' -draw 'circle 520,310 525,310' \
        -draw 'circle 222,120 226,120' -draw 'circle 290,120 294,120' \
        -draw 'polygon 430,360 446,352 446,368' \
        -font "$sans" -pointsize 26 -annotate +310+370 'A' -annotate +591+250 'V' \
        -annotate +156+222 '+' -annotate +156+266 '–' \
        -font "$ital" -pointsize 30 -annotate +368+98 'R' -annotate +240+78 'K' \
        -annotate +462+250 'Л' -annotate +455+395 'I' -annotate +60+250 'ε' \
        "${jpeg[@]}" "$1"
}

# The worked answer: two resistors in parallel and their total resistance.
figure_answer() {
    convert -size 640x480 xc:white -fill none -stroke '#1a1a1a' -strokewidth 3 \
        -draw 'line 86,200 170,200' -draw 'line 470,200 554,200' \
        -draw 'line 170,120 170,280' -draw 'line 470,120 470,280' \
        -draw 'line 170,120 280,120' -draw 'line 360,120 470,120' \
        -draw 'line 170,280 280,280' -draw 'line 360,280 470,280' \
        -draw 'rectangle 280,108 360,132' -draw 'rectangle 280,268 360,292' \
        -fill white -draw 'circle 80,200 80,194' -draw 'circle 560,200 560,194' \
        -stroke none -fill '#1a1a1a' -draw 'circle 170,200 175,200' -draw 'circle 470,200 475,200' \
        -font "$ital" -pointsize 30 -annotate +60+180 'A' -annotate +550+180 'B' \
        -annotate +282+96 'R' -annotate +282+256 'R' \
        -pointsize 20 -annotate +301+104 '1' -annotate +301+264 '2' \
        -font "$sans" -pointsize 24 -annotate +318+96 '= 3 Ом' -annotate +318+256 '= 6 Ом' \
        -stroke '#2e8b57' -strokewidth 3 -fill '#eef8f0' -draw 'roundrectangle 50,340 590,440 14,14' \
        -stroke none -fill '#2e8b57' -font "$bold" -pointsize 26 -annotate +74+382 'Ответ:' \
        -fill '#1a1a1a' -font "$sans" -pointsize 24 \
        -annotate +74+420 'R = R1·R2 / (R1 + R2) = 3·6 / (3 + 6) = 2 Ом' \
        "${jpeg[@]}" "$1"
}

# A supplementary page; its script stamps every load with a new random token.
page_p07_2() {
    write_1251 "$1" <<'END'
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=windows-1251">
<title>Деление клетки</title>
</head>
<body>
<h2>§ 7.2. Деление клетки</h2>
<p>Клетки размножаются делением. При митозе из одной материнской клетки
образуются две дочерние клетки с таким же набором хромосом.</p>
<p>Между делениями клетка растёт и удваивает свои хромосомы; этот период
называют интерфазой. Сам митоз делят на четыре фазы.</p>
<table border="1" cellpadding="4">
<tr><th>Фаза</th><th>Что происходит</th></tr>
<tr><td>Профаза</td><td>Хромосомы спирализуются, ядерная оболочка распадается</td></tr>
<tr><td>Метафаза</td><td>Хромосомы выстраиваются на экваторе клетки</td></tr>
<tr><td>Анафаза</td><td>Хроматиды расходятся к полюсам клетки</td></tr>
<tr><td>Телофаза</td><td>Образуются два ядра, делится цитоплазма</td></tr>
</table>
<p>Метка загрузки: <span id="load-stamp"></span></p>
<script type="text/javascript">
document.getElementById("load-stamp").innerHTML =
    Date.now().toString(36) + Math.random().toString(36).slice(2);
</script>
</body>
</html>
END
}

install_tools
rm -rf drive_c
mkdir -p drive_c/Book/jpg drive_c/Extra/jpg

write_1251 'drive_c/Program Files/Ornlux/orn.ini' <<'END'
[default]
C:\Book
[f12]
C:\Extra
END

book=drive_c/Book
figure_cell $book/jpg/f01_1.jpg
figure_graph $book/jpg/f01_2.jpg
figure_map $book/jpg/f02_1.jpg
caption $book/htm/orn/f01_1.htm 'Рис. 1.1. Строение клетки'
caption $book/htm/orn/f01_2.htm 'Рис. 1.2. График зависимости скорости от времени'
caption $book/htm/orn/f02_1.htm 'Рис. 2.1. Физическая карта местности: рельеф, реки и населённые пункты'
page_p07_2 $book/htm/dop_htm/p07_2.htm
caption $book/htm/or3/p07_2.htm '§ 7.2. Деление клетки'
click $book/wav/pick.wav 1800

extra=drive_c/Extra
figure_circuit $extra/jpg/f12_1.jpg
figure_answer $extra/jpg/f12_3.jpg
caption $extra/htm/orn/f12_1.htm 'Рис. 12.1. Электрическая цепь с лампой и резистором'
caption "$extra/htm/orn/f12_3!.htm" 'Рис. 12.3. Ответ: сопротивление участка цепи равно 2 Ом'
click $extra/wav/pick.wav 1200
