#!/usr/bin/env bash
# test_package.sh BUILD_DIR SOURCE_DIR VERSION: builds the Debian package from
# the build with CPack, checks its control fields and its files, then installs
# it with apt-get, runs the installed ornfig and ornpage on the sample textbook
# (each must map its window with the expected title), closes them and removes
# the package again. Installing needs root, apt-get and an X display with a
# window manager; without them the test stops there as skipped (status 77).
# A copy of the package installed before the test is removed, not restored.
set -euo pipefail
export LC_ALL=C.UTF-8 NO_AT_BRIDGE=1
build=$1 source=$2 version=$3
package=ornlux-viewers

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    exit 1
}
# until_true SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds.
until_true() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

for tool in cpack dpkg-deb dpkg-shlibdeps gzip; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (cmake, dpkg-dev)"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ornlux-package.XXXXXX")
# apt's unprivileged download user reads the package from here.
chmod 755 "$work"
installed_by_us=false
started=()
cleanup() {
    local pid
    for pid in ${started[@]+"${started[@]}"}; do kill -- "-$pid" 2>/dev/null || true; done
    stray_processes | xargs -r kill 2>/dev/null || true
    if $installed_by_us; then
        apt-get remove -y -q "$package" >"$work/remove.log" 2>&1 ||
            echo "cleanup: apt-get remove $package failed"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
# Every process the test starts carries ORN_PACKAGE_TEST=$work in its
# environment (the script itself does not).
stray_processes() {
    grep -lsz "^ORN_PACKAGE_TEST=$work\$" /proc/[0-9]*/environ | cut -d/ -f3 || true
}

# ---- The package and its control fields.
echo "== cpack -G DEB"
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    fail "cpack failed"
fi
deb="$work/out/${package}_${version}_$(dpkg --print-architecture).deb"
[[ -f $deb ]] || fail "no $(basename "$deb"); cpack made: $(ls "$work/out")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == "$package" ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version $(field Version), not the project's $version"
[[ $(field Section) == education ]] || fail "Section: $(field Section)"
[[ $(field Maintainer) == *"<"*"@"*">" ]] || fail "Maintainer: $(field Maintainer)"
# A summary line, then the long description on lines of its own.
if (($(field Description | wc -l) <= 2)) || [[ $(field Description) != *ornfig*ornpage* ]]; then
    fail "Description: $(field Description)"
fi
depends=$(field Depends)
echo "Depends: $depends"
# From the libraries (dpkg-shlibdeps) and what the programs need besides.
for needed in libgtk-3-0 libwebkit2gtk-4.1-0 libcanberra0 libgdk-pixbuf-2.0-0 libasound2 \
    libjpeg62-turbo libx11-6 fonts-liberation hicolor-icon-theme bubblewrap xdg-dbus-proxy; do
    [[ ", $depends," =~ ,\ ${needed}[\ ,] ]] || fail "Depends lacks $needed"
done
# The programs use GTK's C API: no C++ binding library is linked in.
for unwanted in libgtkmm libglibmm libgiomm libcairomm libpangomm libatkmm libsigc++; do
    [[ $depends != *"$unwanted"* ]] || fail "Depends names $unwanted"
done

# ---- The package's files.
root="$work/root"
dpkg-deb -x "$deb" "$root"
expected=(
    usr/bin/ornfig
    usr/bin/ornpage
    usr/share/applications/ornfig.desktop
    usr/share/applications/ornpage.desktop
    usr/share/man/man1/ornfig.1.gz
    usr/share/man/man1/ornpage.1.gz
    usr/share/man/ru/man1/ornfig.1.gz
    usr/share/man/ru/man1/ornpage.1.gz
    usr/bin/ornlux-wine-setup
    usr/share/man/man1/ornlux-wine-setup.1.gz
    usr/share/man/ru/man1/ornlux-wine-setup.1.gz
    usr/share/locale/ru/LC_MESSAGES/ornlux-viewers.mo
)
for size in 32 48 128; do
    for program in ornfig ornpage; do
        expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$program.png")
    done
done
actual=$(cd "$root" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ $actual == "$wanted" ]] || fail "the package's files differ from the expected ones:
$(diff <(echo "$wanted") <(echo "$actual") || true)"

for program in ornfig ornpage; do
    [[ -x $root/usr/bin/$program ]] || fail "usr/bin/$program is not executable"
    # The PNG header holds the width and height as 32-bit big-endian numbers.
    for size in 32 48 128; do
        icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/$program.png"
        read -r w1 w2 w3 w4 h1 h2 h3 h4 < <(od -An -tu1 -j16 -N8 "$icon")
        width=$((w1 << 24 | w2 << 16 | w3 << 8 | w4)) height=$((h1 << 24 | h2 << 16 | h3 << 8 | h4))
        [[ $width == "$size" && $height == "$size" ]] ||
            fail "$program's ${size}x$size icon is ${width}x$height"
    done
    entry="$root/usr/share/applications/$program.desktop"
    grep -qx "Exec=$program %f" "$entry" || fail "$program.desktop does not run $program"
    grep -qx "Icon=$program" "$entry" || fail "$program.desktop does not use the $program icon"
    page="$root/usr/share/man/man1/$program.1.gz"
    gzip -t "$page" || fail "$program.1.gz is not gzip-compressed"
    if command -v man >/dev/null; then
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [[ -z $warnings ]] || fail "the installed $program(1) warns: $warnings"
    fi
done
echo "package $(basename "$deb"): control fields and files as expected"

# ---- Installing it and running the installed programs.
((EUID == 0)) || skip "installing the package needs root"
command -v apt-get >/dev/null || skip "no apt-get to install the package with"
[[ -n ${DISPLAY:-} ]] || skip "no X display to run the installed programs on"
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' ||
    skip "no window manager on $DISPLAY"
for tool in xdotool xprop dbus-run-session iconv; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o DPkg::Lock::Timeout=120)
if [[ $(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null) == installed ]]; then
    echo "== removing the $package installed before"
    "${apt[@]}" remove "$package" >"$work/remove-old.log" 2>&1 ||
        fail "apt-get remove of the earlier $package failed: $(cat "$work/remove-old.log")"
fi
echo "== apt-get install $(basename "$deb")"
installed_by_us=true
"${apt[@]}" install "$deb" >"$work/install.log" 2>&1 ||
    fail "apt-get install failed: $(cat "$work/install.log")"
[[ $(dpkg-query -W -f='${Version}' "$package") == "$version" ]] || fail "$package is not installed"
[[ $(/usr/bin/ornfig --version) == "ornfig $version" ]] || fail "installed ornfig --version"
[[ $(/usr/bin/ornpage --version) == "ornpage $version" ]] || fail "installed ornpage --version"
[[ $(/usr/bin/ornlux-wine-setup --version) == "ornlux-wine-setup $version" ]] ||
    fail "installed ornlux-wine-setup --version"
if command -v man >/dev/null; then
    [[ $(man -w ornfig) == /usr/share/man/man1/ornfig.1.gz ]] || fail "man finds no ornfig(1)"
fi
# The installed programs find their translation, and man the Russian pages.
if locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
    russian=(env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=ru_RU.UTF-8)
    for program in ornfig ornpage ornlux-wine-setup; do
        [[ $("${russian[@]}" /usr/bin/$program --help) == "Использование: $program "* ]] ||
            fail "the installed $program --help is not in Russian"
        if command -v man >/dev/null; then
            [[ $("${russian[@]}" man -w $program) == /usr/share/man/ru/man1/$program.1.gz ]] ||
                fail "man finds no Russian $program(1)"
        fi
    done
fi

prefix="$work/prefix"
"$source/scripts/make-wineprefix.sh" "$prefix"
mkdir "$work/home"
drive_c="$source/data/drive_c"

# caption_text FILE: the first line of a caption file as the title shows it,
# followed by the gap (a full stop and seven spaces) before it starts again.
caption_text() {
    local line
    line=$(head -n 1 "$1" | tr -d '\r')
    if ! iconv -f UTF-8 -t UTF-8 <<<"$line" >/dev/null 2>&1; then
        line=$(iconv -f WINDOWS-1251 -t UTF-8 <<<"$line")
    fi
    printf '%s.       ' "$line"
}
# is_rotation TEXT TITLE: TITLE is TEXT scrolled by some characters.
is_rotation() { ((${#2} == ${#1})) && [[ $1$1 == *"$2"* ]]; }

# start NAME COMMAND...: runs the command as a process group of its own.
start() {
    local name=$1
    shift
    setsid env HOME="$work/home" WINEPREFIX="$prefix" ORN_PACKAGE_TEST="$work" "$@" \
        >"$work/$name.out" 2>"$work/$name.err" &
    started+=($!)
    pid=$!
}
# program_window NAME PID: the mapped window of NAME started as group PID.
program_window() {
    local window owner
    for window in $(xdotool search --onlyvisible --classname "^$1\$" 2>/dev/null); do
        owner=$(xdotool getwindowpid "$window" 2>/dev/null) || continue
        [[ $(ps -o pgid= -p "$owner" | tr -d ' ') == "$2" ]] && echo "$window" && return 0
    done
    return 1
}
# wait_for_window NAME PID: sets window, or fails with what the program said.
wait_for_window() {
    local deadline=$((SECONDS + 15))
    until window=$(program_window "$1" "$2"); do
        kill -0 "$2" 2>/dev/null || fail "$1 ended early: $(cat "$work/$1.err")"
        ((SECONDS < deadline)) || fail "$1 mapped no window in 15 s: $(cat "$work/$1.err")"
        sleep 0.05
    done
}
# record_titles WINDOW SECONDS: the window's titles as they change (in titles).
record_titles() {
    local deadline=$((SECONDS + $2)) title
    titles=()
    while ((SECONDS < deadline)); do
        title=$(xdotool getwindowname "$1" 2>/dev/null) || break
        if ((${#titles[@]} == 0)) || [[ $title != "${titles[-1]}" ]]; then titles+=("$title"); fi
        ((${#titles[@]} >= 4)) && break
        sleep 0.05
    done
}
ended() { ! kill -0 "$1" 2>/dev/null; }
has_state() { xprop -id "$1" _NET_WM_STATE | grep -q "$2"; }
# close NAME WINDOW PID: closes the window as a user would (Alt+F4 to the
# window manager); the program must end with status 0 and no error line.
close() {
    timeout 5 xdotool windowactivate --sync "$2" || true
    xdotool key --clearmodifiers alt+F4
    until_true 10 ended "$3" || fail "$1 still runs 10 s after Alt+F4"
    local status=0
    wait "$3" || status=$?
    ((status == 0)) || fail "$1 ended with status $status: $(cat "$work/$1.err")"
    ! grep -q "^$1:" "$work/$1.err" || fail "$1 reported an error: $(cat "$work/$1.err")"
}

echo "== /usr/bin/ornfig on the sample figure"
start ornfig /usr/bin/ornfig 'C:\Book\htm\f01_1.htm'
wait_for_window ornfig "$pid"
record_titles "$window" 5
text=$(caption_text "$drive_c/Book/htm/orn/f01_1.htm")
# The designed title shows only until the ticker's first step, which may come
# before this script (polling through xdotool) sees the window: a session
# without a bus no longer waits for a bus to be launched at start-up.
[[ ${titles[0]:-} == "Форма1" ]] && titles=("${titles[@]:1}")
if ((${#titles[@]} < 2)) || ! is_rotation "$text" "${titles[0]}" ||
    ! is_rotation "$text" "${titles[1]}"; then
    fail "ornfig's titles were: $(printf '"%s" ' "${titles[@]}")"
fi
until_true 5 has_state "$window" _NET_WM_STATE_ABOVE || fail "ornfig's window is not kept above"
close ornfig "$window" "$pid"

# A session bus for the HTML engine, with the system's services less the
# accessibility bus: started on request it would outlive the bus.
mkdir "$work/services"
for service in /usr/share/dbus-1/services/*.service; do
    [[ $service == */org.a11y.Bus.service ]] || ln -s "$service" "$work/services/"
done
cat >"$work/bus.conf" <<CONF
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=$work</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$work/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF

echo "== /usr/bin/ornpage on the sample page"
start ornpage dbus-run-session --config-file="$work/bus.conf" -- \
    /usr/bin/ornpage 'C:\Book\htm\p07_2.htm'
wait_for_window ornpage "$pid"
text=$(caption_text "$drive_c/Book/htm/or3/p07_2.htm")
shows_caption() { is_rotation "$text" "$(xdotool getwindowname "$window")"; }
until_true 5 shows_caption ||
    fail "ornpage's title is \"$(xdotool getwindowname "$window")\", not its caption"
until_true 5 has_state "$window" _NET_WM_STATE_MAXIMIZED_VERT || fail "ornpage is not maximised"
until_true 5 has_state "$window" _NET_WM_STATE_ABOVE || fail "ornpage's window is not kept above"
close ornpage "$window" "$pid"

none_left() { [[ -z $(stray_processes) ]]; }
until_true 5 none_left ||
    fail "processes left behind: $(stray_processes | xargs -r ps -o pid=,comm= -p)"

echo "== apt-get remove $package"
"${apt[@]}" remove "$package" >"$work/remove.log" 2>&1 ||
    fail "apt-get remove failed: $(cat "$work/remove.log")"
installed_by_us=false
[[ ! -e /usr/bin/ornfig && ! -e /usr/bin/ornpage ]] || fail "the programs stayed after removal"
echo "installed, ran and removed $package $version"
