# SIGTERM while the game waits for a key ends it and restores the terminal.
source "$(dirname "$0")/lib.sh"

start_game
name_hero Ann
pid=$(game_pid) || fail "no game process"
kill -TERM "$pid"
expect_end 143
pass_line "SIGTERM: exit status 143, terminal as it was"
echo "1 passed, 0 failed"
