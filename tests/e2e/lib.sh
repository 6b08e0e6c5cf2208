# Shared by the end-to-end tests: the real textquest in a tmux pane of 80x25,
# keys sent with send-keys, the screen read with capture-pane. Each test runs
# its own tmux server on a private socket and always kills it.
set -euo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8

GAME=${1:?usage: $0 path/to/textquest}
GAME=$(cd "$(dirname "$GAME")" && pwd)/$(basename "$GAME")
WORK=$(mktemp -d)
SOCKET="textquest-e2e-$$"
TIMEOUT=${E2E_TIMEOUT:-15}   # seconds any single expected screen may take

tm() { tmux -L "$SOCKET" -f "$WORK/tmux.conf" "$@"; }
cleanup() {
  tm kill-server >/dev/null 2>&1 || true
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- screen:" >&2
  screen >&2 || true
  exit 1
}

cat >"$WORK/tmux.conf" <<'CONF'
set -g status off
set -g remain-on-exit on
set -g default-terminal "tmux-256color"
set -g escape-time 0
CONF

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

pass_line() { echo "ok - $*"; }
