#!/usr/bin/env bash
# Makes the README's pictures from the real game: runs textquest in a tmux pane
# of 80x25, plays it to the village, the status screen and a battle page,
# captures the pane as text and draws that text into a PNG, light grey on
# black like a console, in DejaVu Sans Mono (which has the code page 437
# glyphs the game draws: faces, shades, blocks).
#
#   tools/screenshots.sh [path/to/textquest]
#
# Without a path it builds the game (Release) in build-screenshots/ first.
# Writes village.png, status.png and battle.png to docs/screenshots/ (or to
# $SCREENSHOTS_DIR). Needs tmux, ImageMagick and fonts-dejavu-core.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${SCREENSHOTS_DIR:-$ROOT/docs/screenshots}
TIMEOUT=15          # seconds any single expected screen may take
MAX_FIELD_KEYS=3000 # keys pressed in the field waiting for a soldier (about 1 in 101 each)
HERO=Ann

die() { echo "screenshots: $*" >&2; exit 1; }

# --- Tools ---
command -v tmux >/dev/null || die "tmux is not installed (apt-get install tmux)"
IM=""
for candidate in magick convert-im6.q16 convert; do
  if "$candidate" -version 2>/dev/null | grep -q '^Version: ImageMagick'; then IM=$candidate; break; fi
done
[ -n "$IM" ] || die "ImageMagick is not installed (apt-get install imagemagick)"
FONT=$(fc-match 'DejaVu Sans Mono:style=Book' --format='%{file}' 2>/dev/null || true)
[[ "$FONT" == *DejaVuSansMono.ttf ]] || FONT=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
[ -f "$FONT" ] || die "DejaVu Sans Mono is not installed (apt-get install fonts-dejavu-core)"

# --- The game ---
if [ $# -ge 1 ]; then
  GAME=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  [ -x "$GAME" ] || die "$1 is not an executable"
else
  cmake -S "$ROOT" -B "$ROOT/build-screenshots" -DCMAKE_BUILD_TYPE=Release -DTEXTQUEST_TESTS=OFF >/dev/null
  cmake --build "$ROOT/build-screenshots" -j2 --target textquest >/dev/null
  GAME=$ROOT/build-screenshots/textquest
fi

WORK=$(mktemp -d)
source "$ROOT/tests/tmux_server.sh"
tmux_server_init textquest-shots
cleanup() {
  tmux_server_stop
  rm -rf "$WORK"
}
trap cleanup EXIT

screen() { tm capture-pane -p -t game; }
row() { screen | sed -n "${1}p" | sed 's/ *$//'; }
# Waits until a shell condition holds, up to TIMEOUT seconds.
wait_until() {
  local deadline=$((SECONDS + TIMEOUT))
  until eval "$1"; do
    [ $SECONDS -lt $deadline ] || { screen >&2; die "timed out waiting for: $1"; }
    sleep 0.05
  done
}
keys() { tm send-keys -t game "$@"; }

start_game() {
  tmux_server_stop
  tm new-session -d -s game -x 80 -y 25 "$GAME"
  wait_until '[[ "$(row 1)" == "Enter main character'"'"'s name:"* ]]'
  keys "$HERO" Enter
  wait_until '[[ "$(row 5)" == "Area: 1"* ]]'
}

# --- Drawing a captured screen ---
# Cell size from the font itself: the advance of one character (measured
# over 80), and the height of the full block less the row of pixels that its
# anti-aliased edges share, so that walls join up as on a console.
text_width() { "$IM" -font "$FONT" -pointsize 20 label:"$1" -format '%w\n' info:; }
ONE_WIDTH=$(text_width M)
LINE_WIDTH=$(( $(text_width "$(printf 'M%.0s' $(seq 80))") - ONE_WIDTH ))   # 79 advances
BLOCK_HEIGHT=$("$IM" -size 60x80 xc:black -font "$FONT" -pointsize 20 -fill white \
  -gravity NorthWest -annotate +10+10 '█' -trim -format '%h\n' info:)
CELL_HEIGHT=$((BLOCK_HEIGHT - 1))
PAD=12
WIDTH=$((LINE_WIDTH * 80 / 79 + 2 * PAD))
HEIGHT=$((25 * CELL_HEIGHT + 2 * PAD))

# render <file of 25 text rows> <png>
render() {
  local args=() r=0 line text indent
  while IFS= read -r line || [ -n "$line" ]; do
    # ImageMagick drops leading blanks, so a row starts at its first mark;
    # it expands % and \ escapes in drawn text, and @ reads a file.
    text=${line#"${line%%[! ]*}"}
    indent=$(( ${#line} - ${#text} ))
    text=${text//\\/\\\\}
    text=${text//%/%%}
    [[ "$text" == @* ]] && text="\\$text"
    [ -n "$text" ] && args+=(-annotate "+$((PAD + (indent * LINE_WIDTH + 39) / 79))+$((PAD + r * CELL_HEIGHT))" "$text")
    r=$((r + 1))
  done <"$1"
  "$IM" -size "${WIDTH}x${HEIGHT}" xc:black -font "$FONT" -pointsize 20 \
    -fill '#aaaaaa' -gravity NorthWest "${args[@]}" -alpha off -depth 8 -strip \
    -define png:exclude-chunks=date,time "$2"
}

shoot() {  # shoot <name>: the pane as it is now
  screen >"$WORK/$1.txt"
  render "$WORK/$1.txt" "$OUT/$1.png"
  echo "wrote $OUT/$1.png"
}

mkdir -p "$OUT"

# --- The village ---
# Villagers stand where the clock's seed puts them; a place in column or row 0
# is off the map, and one may land on the read-out or a building. Try a few
# seconds (seeds) until all four stand in the open.
villagers_in_view() {
  local s; s=$(screen)
  [ "$(grep -o '☺' <<<"$s" | wc -l)" = 4 ] || return 1
  # None on the read-out's rows.
  ! sed -n '1,5p' <<<"$s" | grep -q '☺'
}
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  start_game
  villagers_in_view && break
  [ "$attempt" = 10 ] && echo "screenshots: note: not all four villagers in view" >&2 && break
  keys q
  started=$(date +%s)
  while [ "$(date +%s)" = "$started" ]; do sleep 0.1; done   # a new second, a new seed
done
shoot village

# --- The status screen ---
keys Enter
wait_until '[ "$(row 11 | sed "s/^ *//")" = "Press any key to return to game..." ]'
shoot status
keys x
wait_until '[[ "$(row 5)" == "Area: 1"* ]]'

# --- A battle ---
# Seven steps right reach the exit at column 10, which leads to the field.
for _ in 1 2 3 4 5 6 7; do keys Right; done
wait_until '[[ "$(row 5)" == "Area: 2"* ]]'
# Every key read in the field may bring a soldier. "x" does nothing on the map
# and, once a battle has begun, only shows the hero's page again.
pressed=0
until screen | grep -q "^$HERO's turn!"; do
  [ $pressed -lt $MAX_FIELD_KEYS ] || die "no battle after $pressed keys in the field"
  keys x x x x x x x x x x
  pressed=$((pressed + 10))
done
# Play the round up to the mage's page: each member attacks (nobody can kill
# a soldier before the mage's turn) and a key goes on from each attack. Keys
# still on their way are read first and only show the hero's page again.
# shellcheck disable=SC2034  # member is read by the condition wait_until evaluates
for member in Shyde Rune Kazik; do
  keys a
  wait_until 'screen | grep -q " recieves "'
  keys x
  wait_until 'screen | grep -q "^$member'"'"'s turn!"'
done
wait_until 'screen | grep -q "^(R)un"'
shoot battle
keys r   # leaves the game running; the server is killed on exit
