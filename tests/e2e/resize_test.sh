# Resizing the terminal while the game waits for a key. Smaller than 80x25,
# the terminal shows what fits of the screen and, on its last row, a notice
# naming the size needed and the size it has; keys still work. Larger, the
# screen sits in the top-left corner with blank space around it. Back at
# 80x25, the whole screen is as it was, nothing of the notice left behind.
source "$(dirname "$0")/lib.sh"

# What a COLSxROWS pane should show of the 80x25 screen SCREEN (its rows as
# capture-pane gives them), each row with trailing blanks removed.
expected_screen() {
  local screen=$1 cols=$2 rows=$3 shown=$3 width=$2 r line notice=""
  if [ "$cols" -lt 80 ] || [ "$rows" -lt 25 ]; then
    notice="textquest needs 80x25, this terminal is ${cols}x${rows}"
    notice=${notice:0:$cols}
    shown=$((rows - 1))
  fi
  [ "$shown" -le 25 ] || shown=25
  [ "$width" -le 80 ] || width=80
  for ((r = 1; r <= rows; r++)); do
    if [ "$r" -le "$shown" ]; then
      line=$(sed -n "${r}p" <<<"$screen")
      line=${line:0:$width}
    elif [ "$r" = "$rows" ]; then
      line=$notice
    else
      line=""
    fi
    printf '%s\n' "${line%"${line##*[! ]}"}"
  done
}
# The pane now, each row with trailing blanks removed.
trimmed_screen() { screen | sed 's/ *$//'; }

resize() { tm resize-window -t game -x "$1" -y "$2"; }

resize_case() {
  local cols=$1 rows=$2 before expected
  start_game
  name_hero Ann
  step_right_and_back
  before=$(stable_screen)
  resize "$cols" "$rows"
  expected=$(expected_screen "$before" "$cols" "$rows")
  wait_until '[ "$(trimmed_screen)" = "$expected" ]'
  # Keys still work, and the frames they bring keep the notice.
  step_right_and_back
  wait_until '[ "$(trimmed_screen)" = "$expected" ]'
  resize 80 25
  wait_until '[ "$(screen)" = "$before" ]'
  keys q
  expect_end 0
}

# A resize while the name is being typed (the terminal's line mode) repaints
# the prompt but loses nothing of the line: the hero is named by all that was
# typed, before and after.
resize_at_prompt() {
  start_game
  wait_row_prefix 1 "Enter main character's name:"
  keys An
  wait_row 1 "Enter main character's name: An"
  resize 60 20
  wait_row 20 "textquest needs 80x25, this terminal is 60x20"
  resize 80 25
  wait_until '[[ "$(screen)" != *"textquest needs"* ]]'
  wait_row_prefix 1 "Enter main character's name:"
  keys n
  finish_name_and_quit
}

# cols rows
sizes=(
  "60 20"    # smaller both ways
  "80 24"    # one row short, a common terminal
  "79 25"    # one column short: the notice takes row 25
  "20 6"     # the notice cut to the width
  "100 30"   # larger: blank space beyond the screen, no notice
)
for size in "${sizes[@]}"; do
  read -r cols rows <<<"$size"
  run_case "resized to ${cols}x${rows} and back to 80x25" resize_case "$cols" "$rows"
done
run_case "resized while the name is typed: the whole name kept" resize_at_prompt
finish
