# A player finds a villager on the map, walks next to it, talks through an
# exchange, and opens the status screen.
source "$(dirname "$0")/lib.sh"

# A row built from pieces put at columns, as the game draws them: "col text ...".
compose() {
  local line="" col text
  while [ $# -gt 0 ]; do
    col=$1 text=$2
    shift 2
    while [ ${#line} -lt $((col - 1)) ]; do line+=" "; done
    line="${line:0:$((col - 1))}$text${line:$((col - 1 + ${#text}))}"
  done
  printf '%s' "$line" | sed 's/ *$//'
}

# The villagers' first exchanges and the hero's replies ("" when none).
declare -A reply=(
  [": What the hell do you want? "]=""
  [": Hi there! "]=": Hello."
  [": Wanna buy some used food? "]=": Ack! Get away from me!"
  [": I heard that Mydasiad has a large army... "]=""
)

start_game
name_hero Ann

# Villagers shown below the read-out, as "column row" pairs.
villagers=()
r=0
while IFS= read -r line; do
  r=$((r + 1))
  [ $r -gt 5 ] || continue
  for ((i = 0; i < ${#line}; i++)); do
    [ "${line:i:1}" != "☺" ] || villagers+=("$((i + 1)) $r")
  done
done < <(screen)
[ ${#villagers[@]} -gt 0 ] || fail "no villager to be seen"

talked=""
x=3 y=10
for v in "${villagers[@]}"; do
  read -r vx vy <<<"$v"
  # Stand below the villager, or above it on the bottom row; never on row 10,
  # whose column 10 is the exit.
  ty=$((vy + 1)); [ $ty -le 25 ] || ty=$((vy - 1))
  [ $ty -ne 10 ] || ty=$((vy == 9 ? 8 : 11))
  [ $ty -ne 10 ] || continue
  [ $((ty - vy)) -ge -1 ] && [ $((ty - vy)) -le 1 ] || continue
  tx=$vx
  [ $ty -ne $vy ] || tx=$((vx - 1))
  # Walk: up or down along the current column (never column 10 there), then along the row.
  [ $x -ne 10 ] || { keys Right; x=11; }
  while [ $y -lt $ty ]; do keys Down; y=$((y + 1)); done
  while [ $y -gt $ty ]; do keys Up; y=$((y - 1)); done
  while [ $x -lt $tx ]; do keys Right; x=$((x + 1)); done
  while [ $x -gt $tx ]; do keys Left; x=$((x - 1)); done
  wait_until "[[ \"\$(row 1) \" == \"Xpos: $x \"* && \"\$(row 2) \" == \"Ypos: $y \"* ]]"
  [[ "$(row 3)" == "personThere = true "* ]] || continue
  # The party shows where it stands, unless it stepped onto a building, whose
  # wall the pass after the step drew over it.
  [[ "$(cell $x $y)" == [☻█▒] ]] || fail "party glyph not at ($x, $y)"
  keys Space
  wait_row_prefix 6 "Villager: "
  spoken=$(screen | sed -n 6p)
  for line in "${!reply[@]}"; do
    [[ "$spoken" == "Villager$line"* ]] && talked=$line
  done
  [ -n "$talked" ] || fail "row 6 shows no villager's first line: '$spoken'"
  pass_line "villager at ($vx, $vy) says: Villager$talked"
  break
done
[ -n "$talked" ] || fail "could not stand next to any villager"

keys k
if [ -n "${reply[$talked]}" ]; then
  wait_row_prefix 6 "Ann${reply[$talked]}"
  # The reply's tabs blank what was left of the villager's line.
  [[ "$(screen | sed -n 6p)" == "Ann${reply[$talked]}"$(printf '%*s' $(( ${#talked} + 8 - 3 - ${#reply[$talked]} )) '')* ]] ||
    fail "the villager's line shows through the reply"
  pass_line "the hero replies: Ann${reply[$talked]}"
  keys k
fi
# The conversation clears the screen; the map comes back without the party.
wait_until '[ "$(area)" = 1 ]'
[ "$(cell $x $y)" != "☻" ] || fail "the party glyph was drawn again after the talk"
pass_line "back to the map"

keys Enter
wait_row 11 "    Press any key to return to game..."
expected=(
  "$(compose 1 "  NAME: Ann (lv.1)" 22 " NAME: Shyde (lv.1)" 41 " NAME: Rune (lv.1)" 60 " NAME: Kazik (lv.1)")"
  "$(compose 1 " CLASS: Hero" 22 "CLASS: Archer" 41 "CLASS: Knight" 60 "CLASS: Mage")"
  "$(compose 1 "    HP: 5 / 5" 22 "   HP: 4 / 4" 41 "   HP: 3 / 3" 60 "   HP: 2 / 2")"
  "$(compose 1 "   ATK: 4" 22 "  ATK: 5" 41 "  ATK: 4" 60 "   MP: 4 / 4")"
  "$(compose 1 "   DEF: 3" 22 "  DEF: 2" 41 "  DEF: 4" 60 "  ATK: 1")"
  "$(compose 1 "   EXP: 25" 22 "  EXP: 25" 41 "  EXP: 25" 60 "  DEF: 2")"
  "$(compose 1 " Kills: 0" 22 "Kills: 0" 41 "Kills: 0" 60 "  EXP: 25")"
  "$(compose 1 "Status: Alive" 21 "Status: Alive" 40 "Status: Alive" 60 "Kills: 0")"
  "$(compose 59 "Status: Alive")"
  "$(compose 60 "Magic: Flame")"
  "    Press any key to return to game..."
)
for i in "${!expected[@]}"; do
  [ "$(row $((i + 1)))" = "${expected[$i]}" ] || fail "status row $((i + 1)): '$(row $((i + 1)))' expected '${expected[$i]}'"
done
for r in $(seq 12 25); do [ -z "$(row $r)" ] || fail "status row $r not empty"; done
pass_line "status screen"

keys x
wait_until '[ "$(area)" = 1 ]'
keys q
expect_end 0
pass_line "quit"
echo "1 passed, 0 failed"
