# A player names the hero, walks to the field and back, and quits.
source "$(dirname "$0")/lib.sh"

start_game
wait_row_prefix 1 "Enter main character's name:"
[ "$(row 2)" = "[Note: Only one word]" ] || fail "help row 2"
[ "$(row 3)" = "" ] || fail "help row 3"
[ "$(row 4)" = " Help:" ] || fail "help row 4"
[ "$(row 5)" = "ENTER - View Stats" ] || fail "help row 5"
[ "$(row 6)" = "'q' or Esc - Quit" ] || fail "help row 6"
[ "$(row 7)" = "Arrow keys move." ] || fail "help row 7"
keys "Ann"
wait_row 1 "Enter main character's name: Ann"   # echoed as typed
keys Enter
wait_until '[ "$(area)" = 1 ]'
[[ "$(row 1)" == "Xpos: 3"* ]] || fail "read-out row 1"
[[ "$(row 2)" == "Ypos: 10"* ]] || fail "read-out row 2"
[[ "$(row 3)" == "personThere = false"* ]] || fail "read-out row 3"
[[ "$(row 4)" == "insideVillage = true"* ]] || fail "read-out row 4"
# The party and the exit, unless a villager was placed over them.
[[ "$(cell 3 10)" == [☻☺] ]] || fail "party glyph at (3, 10): '$(cell 3 10)'"
[[ "$(cell 10 10)" == [▒☺] ]] || fail "village exit at (10, 10)"
[[ "$(cell 52 7)" == [▒☺] ]] || fail "door at (52, 7)"
[[ "$(cell 50 3)" == [█☺] ]] || fail "wall at (50, 3)"
villagers=$(screen | grep -o '☺' | wc -l)
[ "$villagers" -le 4 ] || fail "$villagers villagers"
pass_line "name prompt and first village pass"

keys Right
wait_row_prefix 1 "Xpos: 4"
[[ "$(cell 4 10)" == [☻☺] ]] || fail "party did not move"
[[ "$(cell 3 10)" != "☻" ]] || fail "the old cell kept the party glyph"
pass_line "a step right"

for _ in 1 2 3 4 5; do keys Right; done
wait_row_prefix 1 "Xpos: 9"
keys Right
wait_until '[ "$(area)" = 2 ]'
[[ "$(row 4)" == "insideVillage = false"* ]] || fail "field read-out"
[[ "$(row 1)" == "Xpos: 11"* ]] || fail "arrived at column 11"
[ "$(cell 10 10)" = "▓" ] || fail "field exit"
[ "$(screen | grep -c '☺')" = 0 ] || fail "villagers drawn in the field"
pass_line "into the field"

# Walking back may meet a soldier: play_until fights through it.
play_until '[ "$(area)" = 1 ]' Left
[[ "$(row 1)" == "Xpos: 11"* ]] || fail "back at column 11"
[[ "$(row 4)" == "insideVillage = true"* ]] || fail "village read-out"
pass_line "back to the village"

keys q
expect_end 0
pass_line "quit: exit status 0, terminal as it was"
echo "1 passed, 0 failed"
