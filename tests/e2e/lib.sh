# Shared by the end-to-end tests: the real textquest in a tmux pane of 80x25,
# keys sent with send-keys, the screen read with capture-pane. Each test runs
# its own tmux server on a private socket and always kills it.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8

GAME=${1:?usage: $0 path/to/textquest}
GAME=$(cd "$(dirname "$GAME")" && pwd)/$(basename "$GAME")
WORK=$(mktemp -d)
TIMEOUT=${E2E_TIMEOUT:-15}   # seconds any single expected screen may take

source "$(dirname "${BASH_SOURCE[0]}")/../tmux_server.sh"
tmux_server_init textquest-e2e
cleanup() {
  tmux_server_stop
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- screen:" >&2
  screen >&2 || true
  exit 1
}

# Starts the game in a fresh 80x25 pane (or COLSxROWS given), through a
# wrapper that records the terminal settings before and after and the exit
# status, then signals "finished".
start_game() {
  local cols=${1:-80} rows=${2:-25}
  cat >"$WORK/run.sh" <<RUN
stty -g >"$WORK/stty.before"
"$GAME" 2>"$WORK/stderr"
echo \$? >"$WORK/status"
stty -g >"$WORK/stty.after"
tmux -L "$SOCKET" display -p -t game '#{alternate_on} #{cursor_flag}' >"$WORK/screen.after"
tmux -L "$SOCKET" wait-for -S finished
RUN
  tm new-session -d -s game -x "$cols" -y "$rows" "bash $WORK/run.sh"
}

# The whole pane as text, one line per row, trailing blanks kept.
screen() { tm capture-pane -p -N -t game; }
# Row n (1-based) of the pane, trailing blanks removed.
row() { screen | sed -n "${1}p" | sed 's/ *$//'; }
# The character in column c, row r (1-based).
cell() { local line; line=$(screen | sed -n "${2}p"); printf '%s' "${line:$(($1 - 1)):1}"; }

# Waits until a shell condition holds, up to TIMEOUT seconds.
wait_until() {
  local deadline=$((SECONDS + TIMEOUT))
  until eval "$1"; do
    [ $SECONDS -lt $deadline ] || fail "timed out waiting for: $1"
    sleep 0.05
  done
}
# Waits until row n reads exactly text (trailing blanks ignored).
wait_row() { wait_until "[ \"\$(row $1)\" = \"$2\" ]"; }
# Waits until row n starts with text.
wait_row_prefix() { wait_until "[[ \"\$(row $1)\" == \"$2\"* ]]"; }

keys() { tm send-keys -t game "$@"; }

# The area the read-out shows (1 the village, 2 the field), or nothing when
# the read-out is not on the screen.
area() { local r; r=$(row 5); [[ $r == "Area: "* ]] && printf '%s' "${r:6:1}" || true; }

# Waits for the game to end; checks the exit status and that the terminal is
# exactly as it was found: settings, main screen, cursor visible.
expect_end() {
  local status=$1
  timeout "$TIMEOUT" tmux -L "$SOCKET" -f "$WORK/tmux.conf" wait-for finished || fail "the game did not end"
  [ "$(cat "$WORK/status")" = "$status" ] || fail "exit status $(cat "$WORK/status"), expected $status"
  cmp -s "$WORK/stty.before" "$WORK/stty.after" || fail "terminal settings changed: $(cat "$WORK/stty.before") -> $(cat "$WORK/stty.after")"
  # Read by the wrapper while the pane's shell still ran: a dead pane has no cursor.
  local alternate cursor
  read -r alternate cursor <"$WORK/screen.after"
  [ "$alternate" = 0 ] || fail "still in the alternate screen"
  [ "$cursor" = 1 ] || fail "cursor left hidden"
}

# The pid of the game inside the pane.
game_pid() { pgrep -P "$(tm display -p -t game '#{pane_pid}')" -x textquest; }

# Names the hero at the prompt and waits for the first village pass.
name_hero() {
  wait_row_prefix 1 "Enter main character's name:"
  keys "$1" Enter
  wait_until '[ "$(area)" = 1 ]'
}

# Plays on until a shell condition holds: on the field map it presses
# field_key, anywhere else (a battle, a level-up screen) "a", which attacks
# or ends a key wait. The draws cannot be scripted here, so a battle may
# start at any key in the field; this carries the test through it.
play_until() {
  local condition=$1 field_key=$2 deadline=$((SECONDS + 4 * TIMEOUT)) before
  until eval "$condition"; do
    [ $SECONDS -lt $deadline ] || fail "timed out playing until: $condition"
    [ "$(tm display -p -t game '#{pane_dead}')" = 0 ] || fail "the game ended while playing until: $condition"
    before=$(screen)
    if [ "$(area)" = 2 ]; then keys "$field_key"; else keys a; fi
    # Wait for the game to draw what the key did (a few screens look the same).
    local settle=$((SECONDS + 2))
    while [ "$(screen)" = "$before" ] && [ $SECONDS -lt $settle ]; do sleep 0.05; done
  done
}

# Quits with q and waits for the game to end. In the field the pass that reads
# the q still rolls for a battle; one that starts is fought through first.
quit_game() {
  local deadline=$((SECONDS + 4 * TIMEOUT))
  until [ -e "$WORK/status" ]; do
    [ $SECONDS -lt $deadline ] || fail "could not quit"
    keys q
    wait_until '[ -e "$WORK/status" ] || [[ "$(screen)" == *"'"'"'s turn!"* ]]'
    [ -e "$WORK/status" ] || play_until '[ "$(area)" = 2 ]' x
  done
}

# Ends the name line, checks on the status screen that the hero is "Ann" (every
# letter typed, also those a repaint took off the screen), and quits.
finish_name_and_quit() {
  keys Enter
  wait_until '[ "$(area)" = 1 ]'
  keys Enter
  wait_row_prefix 1 "  NAME: Ann (lv.1) "
  keys a
  wait_until '[ "$(area)" = 1 ]'
  keys q
  expect_end 0
}

pass_line() { echo "ok - $*"; }

# --- More ways to start the game, and tables of cases, for the tests of how
# the game ends and what it does with odd terminals and signals ---

# Writes the pane's wrapper: first the terminal's settings, then the lines
# given (which run the game and leave its status in $status), then what
# start_game's wrapper records after the game, and "finished".
# The lines may use $GAME, $WORK and $SOCKET.
write_wrapper() {
  {
    printf 'GAME=%q WORK=%q SOCKET=%q\n' "$GAME" "$WORK" "$SOCKET"
    cat <<'RUN'
stty -g >"$WORK/stty.before"
RUN
    printf '%s\n' "$1"
    cat <<'RUN'
echo $status >"$WORK/status"
stty -g >"$WORK/stty.after"
tmux -L "$SOCKET" display -p -t game '#{alternate_on} #{cursor_flag}' >"$WORK/screen.after"
tmux -L "$SOCKET" wait-for -S finished
RUN
  } >"$WORK/run.sh"
}

# Starts a shell command line in a fresh pane (COLSxROWS, default 80x25) under
# the recording wrapper; in it $GAME is the game and $WORK this test's
# directory. Standard error of the whole line goes to $WORK/stderr. A pipeline
# reports its last failing status (pipefail), so '"$GAME" | cat' gives the game's.
start_command() {
  local command=$1 cols=${2:-80} rows=${3:-25}
  write_wrapper 'set -o pipefail
{ '"$command"'
} 2>"$WORK/stderr"
status=$?'
  tm new-session -d -s game -x "$cols" -y "$rows" "bash $WORK/run.sh"
}

# Starts the game as an interactive shell does, with job control: in a process
# group of its own, the terminal's foreground one, so that Ctrl-C reaches the
# game alone and Ctrl-Z (SIGTSTP) really stops it. (Without job control the
# game shares the orphaned group of the pane's shell, where the kernel drops
# SIGTSTP.) When the game stops, the shell has the terminal back; the wrapper
# records its settings and screen then in stty.stopped and screen.stopped,
# signals "stopped", waits for resume_game, and resumes the game with fg.
# The wrapper runs in dash: bash, after a job it resumed ends, sets the
# terminal back to what it had when it resumed it, and so would hide
# what the game leaves. No core files are left behind by the tests that crash it.
start_game_jobs() {
  local cols=${1:-80} rows=${2:-25}
  write_wrapper 'set -m
ulimit -c 0
"$GAME" 2>"$WORK/stderr"
status=$?
while jobs -p >"$WORK/jobs" && [ -s "$WORK/jobs" ]; do
  stty -g >"$WORK/stty.stopped"
  tmux -L "$SOCKET" display -p -t game "#{alternate_on} #{cursor_flag}" >"$WORK/screen.stopped"
  tmux -L "$SOCKET" wait-for -S stopped
  tmux -L "$SOCKET" wait-for resume
  fg >/dev/null  # not its stderr: the shell hands the terminal over through it
  status=$?
done'
  tm new-session -d -s game -x "$cols" -y "$rows" "dash $WORK/run.sh"
}

# Waits until the game started by start_game_jobs has stopped and the shell
# holds the terminal again.
wait_stopped() {
  timeout "$TIMEOUT" tmux -L "$SOCKET" -f "$WORK/tmux.conf" wait-for stopped || fail "the game did not stop"
}
# The whole pane once it has settled: two captures in a row alike, so that a
# frame tmux has only half shown is never taken for the screen.
stable_screen() {
  local deadline=$((SECONDS + TIMEOUT)) last now
  last=$(screen)
  while :; do
    sleep 0.1
    now=$(screen)
    [ "$now" = "$last" ] && break
    [ $SECONDS -lt $deadline ] || fail "the screen never settled"
    last=$now
  done
  printf '%s\n' "$now"
}

# One step right and back on the map, and wait for the read-out to show each.
# A step may meet a villager, which changes the read-out and the cells nearby;
# a second round trip brings back exactly the screen the first one left, so a
# test that compares whole screens makes one before it takes its reference.
step_right_and_back() {
  keys Right
  wait_row_prefix 1 "Xpos: 4"
  keys Left
  wait_row_prefix 1 "Xpos: 3"
}

# Lets the shell resume the stopped game (fg).
resume_game() { tm wait-for -S resume; }

# The state letter ps shows for a process (S sleeping, T stopped, ...).
process_state() { ps -o stat= -p "$1" | cut -c1; }

# Ends this game's tmux server and forgets what it and the case left in
# $WORK, so that another case can start a game.
reset_game() {
  tmux_server_stop
  find "$WORK" -mindepth 1 ! -name tmux.conf -delete
}

# Tables of cases: run_case NAME COMMAND [ARGS...] runs the command in a
# subshell, so that a failure (fail exits) ends only that case, counts it, and
# resets for the next. finish prints the count and fails if any case did.
CASES_PASSED=0 CASES_FAILED=0
run_case() {
  local name=$1 rc
  shift
  set +e
  (
    set -e
    "$@"
  )
  rc=$?
  set -e
  reset_game
  if [ "$rc" = 0 ]; then
    CASES_PASSED=$((CASES_PASSED + 1))
    pass_line "$name"
  else
    CASES_FAILED=$((CASES_FAILED + 1))
    echo "not ok - $name" >&2
  fi
}
finish() {
  echo "$CASES_PASSED passed, $CASES_FAILED failed"
  [ "$CASES_FAILED" = 0 ]
}
