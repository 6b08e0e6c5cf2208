# The game with standard input or standard output not a terminal.
# Keys from a pipe or a file work as typed keys do (without line editing);
# when they run out before a quit, the game ends at once with status 1 and
# says so on standard error. Standard output not a terminal: the game does
# not start, says so, exits 2, writes nothing to standard output and leaves
# the terminal alone. Every case runs in a pane, so the terminal's settings,
# screen and cursor are compared as well.
source "$(dirname "$0")/lib.sh"

expect_stderr() {
  [ "$(cat "$WORK/stderr")" = "$1" ] || fail "standard error: '$(cat "$WORK/stderr")', expected '$1'"
}

# keys_case SOURCE KEYS STATUS: the keys (a printf format) come through a
# pipe, or from a file; "null" reads /dev/null.
keys_case() {
  local source=$1 keys=$2 status=$3
  # shellcheck disable=SC2059
  printf "$keys" >"$WORK/keys"
  case $source in
    pipe) start_command 'cat "$WORK/keys" | "$GAME"' ;;
    file) start_command '"$GAME" <"$WORK/keys"' ;;
    null) start_command '"$GAME" </dev/null' ;;
  esac
  expect_end "$status"
  if [ "$status" = 0 ]; then expect_stderr ""; else expect_stderr "textquest: end of input"; fi
}

# source|keys|status
key_cases=(
  'pipe|Ann\n\033[Cq|0'       # named, a step right, quit
  'file|Ann\n\033[Cq|0'
  'pipe|Ann\n\033[C|1'        # end of input on the map
  'file|Ann\n\033[C|1'
  'file|Ann\n\r|1'            # end of input on the status screen
  'file|  \n\t\n|1'           # only blanks and empty lines: at the name prompt
  'file||1'                   # nothing at all
  'null||1'
)
for line in "${key_cases[@]}"; do
  IFS='|' read -r source keys status <<<"$line"
  run_case "keys '$keys' from a $source: exit status $status" keys_case "$source" "$keys" "$status"
done

# Keys that come through a pipe one at a time, as slowly as a player types
# them, each acted on before the next: a name, an arrow, Enter for the
# party's status, a key back to the map. Then the pipe closes.
pipe_by_key() {
  mkfifo "$WORK/keys.fifo"
  start_command '"$GAME" <"$WORK/keys.fifo"'
  exec 3<>"$WORK/keys.fifo"  # never blocks, unlike opening one end only
  wait_row_prefix 1 "Enter main character's name:"
  printf 'Ann\n' >&3
  wait_until '[ "$(area)" = 1 ]'
  printf '\033[C' >&3
  wait_row_prefix 1 "Xpos: 4"
  printf '\r' >&3
  wait_row_prefix 1 "  NAME: Ann (lv.1) "
  printf 'a' >&3
  wait_until '[ "$(area)" = 1 ]'
  [[ "$(row 1)" == "Xpos: 4"* ]] || fail "the party moved"
  exec 3>&-
  expect_end 1
  expect_stderr "textquest: end of input"
}
run_case "keys through a pipe one by one, then the pipe closes: exit status 1" pipe_by_key

# Standard output elsewhere: a file, a pipe, /dev/null (a device, not a
# terminal), and with standard input not a terminal either.
stdout_case() {
  local command=$1 kept=$2
  start_command "$command"
  expect_end 2
  expect_stderr "textquest: standard output is not a terminal"
  if [ "$kept" = yes ]; then
    [ -f "$WORK/out" ] && [ ! -s "$WORK/out" ] || fail "standard output: '$(cat "$WORK/out")'"
  fi
}
# out kept in $WORK/out|command
stdout_cases=(
  'yes|"$GAME" >"$WORK/out"'
  'yes|"$GAME" | cat >"$WORK/out"'
  'no|"$GAME" >/dev/null'
  'yes|"$GAME" </dev/null >"$WORK/out"'
)
for line in "${stdout_cases[@]}"; do
  IFS='|' read -r kept command <<<"$line"
  run_case "$command: exit status 2 at once, nothing written, terminal untouched" stdout_case "$command" "$kept"
done
finish
