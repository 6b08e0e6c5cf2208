# Suspending the game and resuming it. Stopped with Ctrl-Z or SIGTSTP, the
# game first gives the terminal back: the shell finds its settings, the main
# screen and the cursor as they were. Resumed (fg), it takes raw mode again
# and repaints the whole screen: the arrows move the party at once and
# nothing is missing.
source "$(dirname "$0")/lib.sh"

# The map as it stood before, the party moved right and back, the map whole
# again, and quit. (before is taken after the same round trip.)
expect_resumed() {
  local before=$1
  wait_until '[ "$(screen)" = "$before" ]'
  step_right_and_back
  wait_until '[ "$(screen)" = "$before" ]'
  keys q
  expect_end 0
}

# Stopped by a key typed (HOW key:C-z) or by kill -TSTP, under a shell with
# job control, while the game waits for a key on the map; resumed by the
# shell's fg.
suspend_case() {
  local how=$1 pid before
  start_game_jobs
  name_hero Ann
  step_right_and_back
  before=$(stable_screen)
  pid=$(game_pid) || fail "no game process"
  stop_and_resume "$pid" "$how"
  expect_resumed "$before"
}

# Stops the game, checks the terminal is the shell's again, and resumes it.
stop_and_resume() {
  local pid=$1 how=$2
  case $how in
    key:*) keys "${how#key:}" ;;
    *) kill -"$how" "$pid" ;;
  esac
  wait_stopped
  [ "$(process_state "$pid")" = T ] || fail "the game is not stopped: state $(process_state "$pid")"
  cmp -s "$WORK/stty.before" "$WORK/stty.stopped" ||
    fail "terminal settings while stopped: $(cat "$WORK/stty.stopped"), found $(cat "$WORK/stty.before")"
  [ "$(cat "$WORK/screen.stopped")" = "0 1" ] ||
    fail "while stopped: alternate screen, cursor shown = $(cat "$WORK/screen.stopped"), expected 0 1"
  resume_game
}

# Stopped in the middle of typing the name (the terminal in line mode): the
# prompt comes back, the line is still edited and echoed by the terminal, and
# nothing typed before the stop is lost.
suspend_at_prompt() {
  local pid
  start_game_jobs
  wait_row_prefix 1 "Enter main character's name:"
  keys An
  wait_row 1 "Enter main character's name: An"
  pid=$(game_pid) || fail "no game process"
  stop_and_resume "$pid" TSTP
  wait_row_prefix 1 "Enter main character's name:"
  wait_row 4 " Help:"
  keys n
  wait_until '[[ "$(row 1)" == *n ]]'  # echoed: line mode is back
  finish_name_and_quit
}

# SIGSTOP cannot be caught, so the terminal stays as the game left it while
# it is stopped, and a shell may write its job notice over the game's screen
# and change the settings. On SIGCONT the game sets raw mode again and
# repaints in full.
stopped_by_someone_else() {
  local pid before
  start_game_jobs
  name_hero Ann
  step_right_and_back
  before=$(stable_screen)
  pid=$(game_pid) || fail "no game process"
  kill -STOP "$pid"
  wait_stopped
  [ "$(process_state "$pid")" = T ] || fail "the game is not stopped"
  # The shell leaves the terminal as the game had it: what the other cases
  # see while the game is stopped is the game's own doing.
  ! cmp -s "$WORK/stty.before" "$WORK/stty.stopped" || fail "the shell restored the terminal's settings"
  # What a shell may do meanwhile: a line over the game's screen, settings
  # of its own.
  printf 'a line the shell wrote' >"$(tm display -p -t game '#{pane_tty}')"
  wait_until '[ "$(screen)" != "$before" ]'
  stty sane <"$(tm display -p -t game '#{pane_tty}')"
  resume_game
  expect_resumed "$before"
}

# A shell without job control runs the game in its own process group, which
# is orphaned when that shell leads the session (as in a tmux pane): the
# kernel drops the stop. The game gives the terminal back, takes it again at
# once, and plays on with the screen whole.
not_stoppable() {
  local pid before
  start_game
  name_hero Ann
  step_right_and_back
  before=$(stable_screen)
  pid=$(game_pid) || fail "no game process"
  kill -TSTP "$pid"
  # The key below is read after the signal was handled: the game looks at
  # its signals before its input.
  expect_resumed "$before"
}

run_case "Ctrl-Z: stopped with the terminal restored; fg: raw mode and a full repaint" suspend_case key:C-z
run_case "SIGTSTP: stopped with the terminal restored; fg: raw mode and a full repaint" suspend_case TSTP
run_case "SIGTSTP while the name is typed: the terminal restored; fg: line mode back, nothing lost" suspend_at_prompt
run_case "SIGSTOP then fg: raw mode and a full repaint over what the shell wrote" stopped_by_someone_else
run_case "SIGTSTP where no stop is possible: the game plays on, screen whole" not_stoppable
finish
