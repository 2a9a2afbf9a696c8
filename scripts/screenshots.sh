#!/usr/bin/env bash
# Takes the README's pictures of the program's three pages (docs/page-*.png): the program runs
# under Wine with the Simplified-Chinese locale in a private Xvfb, inside a Wine virtual desktop
# so that Wine draws the window frame itself. A small driver (tests/app/screenshot_tour.cpp) makes
# a checkfile for a demo folder, opens the about page, changes a file and restarts the program
# beside its checkfile, lists a folder of names with emoji and combining marks
# (docs/page-emoji.png) and makes a checkfile of large files, taken while it runs
# (docs/page-progress.png); the picture of each state is taken with ImageMagick's import. One more
# picture shows the make page on an English system (code page 1252, docs/page-make-cp1252.png).
# The 32-bit build takes them where the machine runs 32-bit programs, the 64-bit one elsewhere.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
if machine_runs_win32; then
  build="${HT_BUILD_DIR:-$root/build/win}" toolchain=mingw-i686 name=hashtally.exe arch=win32
else
  build="${HT_BUILD_DIR:-$root/build/win64}" toolchain=mingw-x86_64 name=hashtally64.exe arch=win64
fi
width=640
height=480

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target hashtally screenshot_tour

demo=$(mktemp -d /tmp/hashtally-demo.XXXXXX)
log=$(mktemp /tmp/hashtally-tour.XXXXXX)
trap 'rm -rf "$demo" "$log"' EXIT
cp "$build/app/$name" "$demo/hashtally.exe"  # the name the tour starts
mkdir -p "$demo/照片" "$demo/文档"
printf 'Shopping list\r\nMilk\r\nBread\r\n' >"$demo/notes.txt"
head -c 200000 /dev/urandom >"$demo/照片/假日.jpg"
head -c 50000 /dev/urandom >"$demo/照片/生日.jpg"
printf '年度报告\r\n' | iconv -f UTF-8 -t GBK >"$demo/文档/报告.txt"
printf 'a,b,c\r\n1,2,3\r\n' >"$demo/文档/数据.csv"
printf 'Coffee\r\nTea\r\n' >"$demo/café.txt"

unset DISPLAY  # always a private X server of the picture's size
trap 'wine_session_stop; rm -rf "$demo" "$log"' EXIT
fresh=0
[ -f "$build/wineprefix-shots/system.reg" ] || fresh=1
wine_session_start "$build/wineprefix-shots" "$arch"
LC_ALL=zh_CN.UTF-8 "$HT_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
LC_ALL=zh_CN.UTF-8 "$HT_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
  /d "${width}x${height}" /f >/dev/null 2>&1
# Wine's Uniscribe knows no font to fall back on for characters outside the basic plane and for
# combining marks (the scripts it tags 0), where Windows has its own: the emoji come from Symbola
# (scripts/setup.sh installs it).
LC_ALL=zh_CN.UTF-8 "$HT_WINE" reg add 'HKCU\Software\Wine\Uniscribe\Fallback' /v 0 /d Symbola /f \
  >/dev/null 2>&1
# A fresh prefix made its desktop before it was told to use a virtual one: start the session
# again, so that the programs open on the virtual desktop.
if [ "$fresh" -eq 1 ]; then
  wine_session_stop
  wine_session_start "$build/wineprefix-shots" "$arch"
fi

mkdir -p "$root/docs"
winedemo="Z:${demo//\//\\}"
# tour LOCALE [NAME]: runs the driver in that locale and takes the pictures it asks for.
tour() {
  local word name
  while read -r word name; do
    name=${name%$'\r'}
    word=${word%$'\r'}
    case "$word" in
      shot)
        sleep 1  # the last paint reaches the screen
        import -window root -crop "${width}x${height}+0+0" +repage "$root/docs/page-$name.png"
        echo "docs/page-$name.png"
        touch "$demo/$name.done"
        ;;
      done) break ;;
    esac
  done < <(LC_ALL=$1 "$HT_WINE" "$build/tests/app/screenshot_tour.exe" "$winedemo" "${@:2}" 2>"$log")
  [ -s "$log" ] && cat "$log" >&2 || true
}
# at DPI WIDTH HEIGHT: the system's scaling and a virtual desktop of that size for the programs
# started next (the desktop takes its size when the session starts).
at() {
  LC_ALL=zh_CN.UTF-8 "$HT_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$1" /f >/dev/null 2>&1
  width=$2 height=$3
  LC_ALL=zh_CN.UTF-8 "$HT_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
    /d "${width}x${height}" /f >/dev/null 2>&1
  wine_session_stop
  wine_session_start "$build/wineprefix-shots" "$arch"
}
# language CODE: the user's choice of language, or none for an empty code.
language() {
  if [ -n "$1" ]; then
    LC_ALL=zh_CN.UTF-8 "$HT_WINE" reg add 'HKCU\Software\Hashtally' /v Language /d "$1" /f \
      >/dev/null 2>&1
  else
    LC_ALL=zh_CN.UTF-8 "$HT_WINE" reg delete 'HKCU\Software\Hashtally' /v Language /f \
      >/dev/null 2>&1 || true
  fi
}
# The English system's make page first: the checkfile it writes goes before the main tour, which
# starts without one.
language ""
tour en_US.UTF-8 make-cp1252
rm -f "$demo/HTSUM-sums.MD5"
tour zh_CN.UTF-8

# The window in English at 100%, 150% and 200% scaling, over a folder of English names, and the
# Chinese make page at 200%.
english=$(mktemp -d /tmp/hashtally-english.XXXXXX)
trap 'wine_session_stop; rm -rf "$demo" "$english" "$log"' EXIT
cp "$build/app/$name" "$english/hashtally.exe"
mkdir -p "$english/Photos" "$english/Documents"
printf 'Shopping list\r\nMilk\r\nBread\r\n' >"$english/notes.txt"
head -c 200000 /dev/urandom >"$english/Photos/holiday.jpg"
head -c 50000 /dev/urandom >"$english/Photos/birthday.jpg"
printf 'Annual report\r\n' >"$english/Documents/report.txt"
demo=$english winedemo="Z:${english//\//\\}"
language en
for scale in "96 640 480 " "144 960 720 -150" "192 1280 960 -200"; do
  read -r dpi w h suffix <<<"$scale"
  at "$dpi" "$w" "$h"
  rm -f "$english/HTSUM-sums.MD5" "$english/plans.txt"
  tour en_US.UTF-8 english "$suffix"
done
language zh-CN
rm -f "$english/HTSUM-sums.MD5"
tour zh_CN.UTF-8 make-200
language ""
at 96 640 480
