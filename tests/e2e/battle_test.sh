# A player walks into the field until a soldier attacks, fights the battle to
# its end pressing "a", and checks the pages on the way. The draws cannot be
# fixed here, so every check holds whatever they are.
source "$(dirname "$0")/lib.sh"

start_game
name_hero Ann
for _ in 1 2 3 4 5 6 7; do keys Right; done
wait_until '[ "$(area)" = 2 ]'
pass_line "into the field"

# Keys with no command: every one read in the field may start a battle. On a
# battle's menu they only show the page again, so sending a few too many is harmless.
opponents="Wounded Driniad Soldier|Driniad Soldier"
for ((i = 0; i < 3000; i++)); do
  [ "$(row 3)" = "Ann's turn!" ] && break
  keys x
  [ $((i % 20)) -ne 19 ] || wait_until '[ "$(area)" = 2 ] || [ "$(row 3)" = "Ann'\''s turn!" ]'
done
wait_row 3 "Ann's turn!"
[ "$(row 1)" = "Ann HP: 5/5" ] || fail "page row 1"
[[ "$(row 2)" =~ ^($opponents)"'s HP: "(7|10)$ ]] || fail "page row 2: $(row 2)"
opponent=${BASH_REMATCH[1]}
[ "$(row 4)" = "" ] && [ "$(row 5)" = "(A)ttack" ] && [ "$(row 6)" = "(R)un" ] && [ "$(row 7)" = "" ] ||
  fail "the hero's menu"
pass_line "a battle against $opponent"

keys a
wait_row 8 "Ann attacks!"
[ "$(row 9)" = "$opponent recieves 1 damage!" ] || fail "the hero's blow: $(row 9)"
pass_line "the hero attacks"

# Fight on. Each member's page is checked when it shows; the battle ends in a
# victory (the award lines), or with the whole party dead (game over).
seen_mage=0 outcome=""
deadline=$((SECONDS + 4 * TIMEOUT))
while [ -z "$outcome" ]; do
  [ $SECONDS -lt $deadline ] || fail "the battle did not end"
  page=$(screen)
  if [[ "$page" == *"$opponent expires! "* ]]; then
    [[ "$page" == *"recieves "*" experiance!"* ]] || fail "a victory without its award lines"
    outcome=victory
  elif [[ "$page" == *"GAME OVER!"* ]]; then
    outcome=death
  elif [ "$(row 4)" = "Kazik's turn!" ]; then  # the living mage's page; a dead one's has no MP line
    [[ "$(row 1)" =~ ^"Kazik HP: "[0-9]+/2$ ]] && [[ "$(row 2)" =~ ^"Kazik MP: "[0-9]+/4$ ]] || fail "the mage's page"
    [ "$(row 6)" = "(A)ttack" ] && [ "$(row 7)" = "(M)agic" ] && [ "$(row 8)" = "(R)un" ] || fail "the mage's menu"
    seen_mage=1
  fi
  [ -n "$outcome" ] && break
  keys a
  wait_until '[ "$(screen)" != "$page" ] || [ "$(area)" = 2 ]'
done
pass_line "the battle ended: $outcome (the mage's page seen: $seen_mage)"

if [ "$outcome" = victory ]; then
  # The two closing waits, then the field again, without the party glyph.
  keys a a
  wait_until '[ "$(area)" = 2 ]'
  [[ "$(row 4)" == "insideVillage = false"* ]] || fail "field read-out after the battle"
  quit_game
else
  [ "$(row 16)" = "                                            GAME OVER!" ] || fail "the game-over lines"
  keys k
fi
expect_end 0
pass_line "the game goes on and quits with status 0"
echo "1 passed, 0 failed"
