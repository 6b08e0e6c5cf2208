# A private tmux server for scripts that run the real game in a pane: its own
# socket (so it never touches a user's tmux), a fixed configuration (no status
# line, so a pane has the window's full size; panes kept after the game ends;
# no delay on Escape), and its removal. Source it after setting WORK to a
# scratch folder; call tmux_server_stop from the script's exit trap.

# Names the server; prefix says whose it is.
tmux_server_init() {
  SOCKET="$1-$$"
  cat >"$WORK/tmux.conf" <<'CONF'
set -g status off
set -g remain-on-exit on
set -g default-terminal "tmux-256color"
set -g escape-time 0
CONF
}

tm() { tmux -L "$SOCKET" -f "$WORK/tmux.conf" "$@"; }

# Kills the server and removes its socket, which tmux leaves behind.
tmux_server_stop() {
  tm kill-server >/dev/null 2>&1 || true
  rm -f "${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/$SOCKET"
}
