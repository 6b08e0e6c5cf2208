# The signals that end the game, sent while it waits for a key on the map or
# in the middle of typing the hero's name (the terminal in line mode), as
# kill sends them and as typed keys raise them: each ends the game at once
# with the status the shell reports for it, the terminal as it was found.
# The game runs as an interactive shell runs it (its own foreground process
# group), so that a typed Ctrl-C reaches the game alone.
source "$(dirname "$0")/lib.sh"

# signal_case WHERE HOW STATUS KIND: WHERE is "map" or "prompt"; HOW a signal
# name for kill, or key:KEY for a key typed in the pane; KIND "end" or "crash".
signal_case() {
  local where=$1 how=$2 status=$3 kind=$4 pid
  start_game_jobs
  if [ "$where" = prompt ]; then
    wait_row_prefix 1 "Enter main character's name:"
    keys Ann
    wait_row 1 "Enter main character's name: Ann"
  else
    name_hero Ann
  fi
  pid=$(game_pid) || fail "no game process"
  case $how in
    key:*) keys "${how#key:}" ;;
    *) kill -"$how" "$pid" ;;
  esac
  expect_end "$status"
  # After a crash the shell names the signal on the same standard error.
  [ "$kind" = crash ] || [ ! -s "$WORK/stderr" ] || fail "unexpected standard error: $(cat "$WORK/stderr")"
  ! kill -0 "$pid" 2>/dev/null || fail "the game still runs"
}

# where  how        status (128 + the signal's number)
cases=(
  "map    INT       130 end"
  "map    HUP       129 end"
  "map    key:C-c   130 end"
  'map    key:C-\   131 end'
  "prompt TERM      143 end"
  "prompt HUP       129 end"
  "prompt key:C-c   130 end"
  'prompt key:C-\   131 end'
  # A crash signal: the terminal is given back, then the signal's default
  # action ends the process, as the shell's status shows.
  "map    SEGV      139 crash"
  "map    ABRT      134 crash"
  "map    BUS       135 crash"
  "map    FPE       136 crash"
  "prompt SEGV      139 crash"
)
for line in "${cases[@]}"; do
  read -r where how status kind <<<"$line"
  run_case "$how at the $where: exit status $status, terminal as it was" signal_case "$where" "$how" "$status" "$kind"
done
finish
