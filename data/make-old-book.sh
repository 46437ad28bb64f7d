#!/usr/bin/env bash
# Regenerates data/old_book, the C: drive of a second sample textbook made
# the way textbooks of the Windows 98 era were: pages in Windows-1251 that
# declare no charset, names in mixed case that differ from the files on
# disk, backslashes in links, Cyrillic file names (UTF-8 on disk, written
# %-escaped in Windows-1251 in the pages), frames, new-window links,
# window.close(), links to a document, a web site, mail and a program, a
# page that probes files outside the book, sound in <bgsound>, <embed> and
# <audio autoplay>, text files and pages in other encodings, a page the
# tests change on disk and a long page to search in.
# Running it again gives byte-identical files.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
export MAGICK_THREAD_LIMIT=1
command -v sox >/dev/null && command -v convert >/dev/null ||
    { echo "$0: needs sox and imagemagick" >&2; exit 1; }
sans=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf

# write_in CHARSET FILE: stdin (UTF-8) to FILE in CHARSET with CR LF line ends.
write_in() {
    mkdir -p "$(dirname "$2")"
    sed 's/$/\r/' | iconv -f UTF-8 -t "$1" >"$2"
}

# write_1251 FILE: the same in Windows-1251, as nearly every file of the book.
write_1251() {
    write_in WINDOWS-1251 "$1"
}

# picture FILE COLOUR WORD: a small picture, a coloured field with a word.
picture() {
    mkdir -p "$(dirname "$1")"
    convert -size 160x100 "xc:$2" -fill white -font "$sans" -pointsize 28 -gravity center \
        -annotate +0+0 "$3" -strip -type TrueColor -quality 85 "$1"
}

rm -rf old_book
root=old_book/Uchebnik
write_1251 'old_book/Program Files/Ornlux/orn.ini' <<'END'
[default]
C:\Uchebnik
END

# Captions: the first line of each is the page's caption.
for item in p01_1 p01_2 p01_3 p01_4 p01_5 p02_1 p02_2 p02_3 p02_4 p02_5; do
    printf 'Страница %s\n' "$item" | write_1251 "$root/HTM/Or3/$item.htm"
done

# The page directory, in upper case on disk as a CD copy has it.
pages=$root/HTM/DOP_HTM
picture "$pages/images/pic1.jpg" '#1f6fb2' 'Рис. 1'
picture "$pages/images/pic2.jpg" '#2e8b57' 'Рис. 2'
picture "$pages/рисунки/схема.jpg" '#b03a2e' 'Схема'
write_1251 "$pages/style.css" <<'END'
h1 { color: #ffffff; background: #7b2d8b; padding: 4px; }
END
write_1251 "$pages/script.js" <<'END'
document.write("<p id='from-script'>Текст из сценария: загружен.</p>" +
    "<div style='width:40px;height:40px;background:#00a0a0'></div>");
END

# A page of the time: no charset, names in another case, backslashes.
write_1251 "$pages/P01_1.HTM" <<'END'
<html>
<head>
<title>Глава 1. Строение вещества</title>
<link rel="stylesheet" href="STYLE.CSS">
<script src="Script.JS"></script>
</head>
<body>
<h1>Глава 1. Строение вещества</h1>
<p>Все вещества состоят из мельчайших частиц — молекул и атомов.</p>
<p><img src="Images\Pic1.JPG" width="160" height="100">
<img src="IMAGES/PIC2.jpg" width="160" height="100">
<img src="%F0%E8%F1%F3%ED%EA%E8\%F1%F5%E5%EC%E0.jpg" width="160" height="100"></p>
<p><a href="P01_2.HTM">Опыты (страница с рамками)</a></p>
<div id="charset" style="width:40px;height:40px;background:#ff0000"></div>
<script>
// Green once the text above reads as Russian: the page was decoded right.
if (document.body.innerText.indexOf("\u0412\u0441\u0435 \u0432\u0435\u0449\u0435\u0441\u0442\u0432\u0430") >= 0)
    document.getElementById("charset").style.background = "#00c000";
</script>
</body>
</html>
END

# Frames: a menu on the left, the text on the right.
write_1251 "$pages/p01_2.htm" <<'END'
<html>
<head><title>Опыты</title></head>
<frameset cols="200,*">
<frame name="menu" src="Menu.htm">
<frame name="text" src="%CE%EF%FB%F2.htm">
</frameset>
</html>
END
write_1251 "$pages/menu.htm" <<'END'
<html><body bgcolor="#ffe9a8">
<p><b>Меню</b></p>
<p><a href="%CE%EF%FB%F2.htm" target="text">Опыт</a></p>
<p><a href="P01_1.HTM" target="_top">Назад к главе</a></p>
</body></html>
END
write_1251 "$pages/Опыт.htm" <<'END'
<html><body bgcolor="#d8f0ff">
<h2>Опыт с диффузией</h2>
<p>Капля чернил в стакане воды постепенно окрашивает всю воду.</p>
</body></html>
END

# Links of every kind, and windows.
write_1251 "$pages/p01_3.htm" <<'END'
<html><head><title>Ссылки</title>
<style>
a { position: absolute; left: 10px; height: 30px; width: 300px; font-size: 20px; }
#banner { position: absolute; left: 400px; top: 10px; width: 120px; height: 60px; background: #c06000; }
</style>
</head><body>
<div id="banner"></div>
<a id="blank" style="top: 10px" href="P01_1.HTM" target="_blank">Новое окно: глава</a>
<a id="open" style="top: 50px" href="#" onclick="window.open('Tekst.TXT'); return false;">window.open: текст</a>
<a id="doc" style="top: 90px" href="Doc\Zadanie.DOC">Задание (документ)</a>
<a id="web" style="top: 130px" href="http://example.invalid/uchebnik/">Сайт учебника</a>
<a id="mail" style="top: 170px" href="mailto:avtor@example.invalid">Написать автору</a>
<a id="exe" style="top: 210px" href="Prog\Setup.EXE">Программа установки</a>
<a id="close" style="top: 250px" href="#" onclick="window.close(); return false;">Закрыть окно</a>
<input id="field" style="position: absolute; left: 10px; top: 290px; width: 200px" value="текст">
<a id="save" style="top: 330px" href="Images\Pic1.JPG" download="pic1.jpg">Сохранить рисунок</a>
</body></html>
END
write_1251 "$pages/tekst.txt" <<'END'
Текстовый файл без указания кодировки: читается как Windows-1251.
END
mkdir -p "$pages/doc" "$pages/prog"
printf 'Zadanie: a document of the textbook\r\n' >"$pages/doc/zadanie.doc"
printf 'MZ: not a real program\r\n' >"$pages/prog/setup.exe"

# Probes of files outside the book: each result colours its box, green
# when refused, red when read. The own file must be read (blue).
write_1251 "$pages/p01_4.htm" <<'END'
<html><head><title>Проверка</title>
<style>div { width: 60px; height: 60px; display: inline-block; margin: 4px; background: #888888; }</style>
</head><body>
<p>Проверка доступа</p>
<div id="own"></div><div id="f1"></div><div id="f2"></div><div id="f3"></div>
<div id="x1"></div><div id="x2"></div><div id="i1"></div><div id="i2"></div><div id="i3"></div><div id="f4"></div>
<img src="http://127.0.0.1:47123/markup.png" width="1" height="1">
<script>
function mark(id, read) {
    document.getElementById(id).style.background = read ? "#ff0000" : "#00c000";
}
function own(id, read) {
    document.getElementById(id).style.background = read ? "#0000ff" : "#ff0000";
}
function probe(id, url) {
    fetch(url).then(function (r) { return r.text(); })
        .then(function (t) { mark(id, t.length > 0); }, function () { mark(id, false); });
}
function probeXhr(id, url) {
    var x = new XMLHttpRequest();
    x.onload = function () { mark(id, x.responseText.length > 0); };
    x.onerror = function () { mark(id, false); };
    try { x.open("GET", url); x.send(); } catch (e) { mark(id, false); }
}
function probeImg(id, url) {
    var i = new Image();
    i.onload = function () { mark(id, true); };
    i.onerror = function () { mark(id, false); };
    i.src = url;
}
fetch("TEKST.txt").then(function (r) { return r.text(); })
    .then(function (t) { own("own", t.length > 0); }, function () { own("own", false); });
probe("f1", "/etc/passwd");
probe("f2", "file:///etc/passwd");
probe("f3", "Z:\\etc\\passwd");
probeXhr("x1", "..\\..\\..\\..\\..\\..\\..\\..\\etc\\passwd");
probeXhr("x2", "home-link.txt");
probeImg("i1", "file:///usr/share/pixmaps/debian-logo.png");
probeImg("i2", "home-picture.png");
probeImg("i3", "http://127.0.0.1:47123/probe.png");
probe("f4", "http://127.0.0.1:47123/fetch.txt");
</script>
</body></html>
END

# Background sound, as pages of the time had it.
write_1251 "$pages/p01_5.htm" <<'END'
<html><head><title>Звук</title>
<bgsound src="Sound\Zvuk.WAV" loop="1">
</head><body>
<h2>Звучит фоновый звук</h2>
</body></html>
END
mkdir -p "$pages/sound"
sox -R -D -n -r 22050 -b 16 -c 1 -e signed-integer "$pages/sound/zvuk.wav" \
    synth 0.5 sine 440 gain -3

# Sound in <embed> and in <audio autoplay>, as other pages had it.
write_1251 "$pages/p02_3.htm" <<'END'
<html><head><title>Звук во вставке</title></head><body>
<h2>Звук, вставленный в страницу</h2>
<embed src="SOUND\Zvuk.wav" type="audio/x-wav" width="0" height="0">
</body></html>
END
write_1251 "$pages/p02_4.htm" <<'END'
<html><head><title>Звук при открытии</title></head><body>
<h2>Звук при открытии страницы</h2>
<audio autoplay><source src="sound/ZVUK.WAV" type="audio/wav"></audio>
</body></html>
END

# A page the tests change on disk, to see it loaded again.
write_1251 "$pages/p02_1.htm" <<'END'
<html><head><title>Обновление</title></head><body>
<div id="state" style="width:300px;height:200px;background:#3060c0"></div>
<p>Цвет квадрата меняется в файле на диске.</p>
</body></html>
END

# A long page: the formula is far down in each of three coloured bands, so
# going to the next match scrolls the view into another band.
write_1251 "$pages/p02_2.htm" <<'END'
<html><head><title>Поиск</title>
<style>
body { margin: 0; font-size: 20px; }
div.band { height: 2400px; padding: 1200px 10px 0; box-sizing: border-box; }
#top { position: absolute; left: 10px; top: 10px; width: 200px; height: 100px; background: #404040; }
</style></head><body>
<div id="top"></div>
<div class="band" style="background:#d0e8ff">Поваренная соль NaCl растворяется в воде.</div>
<div class="band" style="background:#ffe0c0">Кристаллы NaCl имеют форму куба.</div>
<div class="band" style="background:#d8f5d0">Раствор NaCl проводит ток.</div>
</body></html>
END

# Text files and pages in other encodings, in frames whose text the page
# reads: each box turns green when its frame's text decoded as Russian, red
# when not. The text file in Windows-1251 is tekst.txt above.
printf 'Текст в UTF-8 без указания кодировки.\r\n' >"$pages/utf8.txt"
write_in KOI8-R "$pages/koi8.htm" <<'END'
<html><head><meta charset="koi8-r"><title>КОИ-8</title></head>
<body><p>Страница в кодировке КОИ-8.</p></body></html>
END
write_in CP866 "$pages/dos.htm" <<'END'
<html><head><meta http-equiv="Content-Type" content="text/html; charset=cp866"></head>
<body><p>Страница в кодировке DOS.</p></body></html>
END
write_1251 "$pages/p02_5.htm" <<'END'
<html><head><title>Кодировки</title>
<style>
div { position: absolute; top: 10px; width: 50px; height: 50px; background: #888888; }
iframe { position: absolute; width: 300px; height: 100px; }
</style>
<script>
function check(frame, box, expected) {
    var text = "";
    try { text = frame.contentDocument.body.textContent; } catch (e) {}
    document.getElementById(box).style.background =
        text.indexOf(expected) >= 0 ? "#00c000" : "#ff0000";
}
</script>
</head><body>
<div id="cp1251" style="left: 10px"></div><div id="utf8" style="left: 70px"></div>
<div id="koi8" style="left: 130px"></div><div id="dos" style="left: 190px"></div>
<iframe style="left: 10px; top: 80px" src="TEKST.TXT"
 onload="check(this, 'cp1251', '\u0422\u0435\u043a\u0441\u0442\u043e\u0432\u044b\u0439 \u0444\u0430\u0439\u043b \u0431\u0435\u0437')"></iframe>
<iframe style="left: 320px; top: 80px" src="Utf8.Txt"
 onload="check(this, 'utf8', '\u0422\u0435\u043a\u0441\u0442 \u0432 UTF-8 \u0431\u0435\u0437')"></iframe>
<iframe style="left: 10px; top: 190px" src="KOI8.HTM"
 onload="check(this, 'koi8', '\u0432 \u043a\u043e\u0434\u0438\u0440\u043e\u0432\u043a\u0435 \u041a\u041e\u0418-8')"></iframe>
<iframe style="left: 320px; top: 190px" src="Dos.htm"
 onload="check(this, 'dos', '\u0432 \u043a\u043e\u0434\u0438\u0440\u043e\u0432\u043a\u0435 DOS')"></iframe>
</body></html>
END
