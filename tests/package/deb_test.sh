#!/usr/bin/env bash
# The Debian package as a player gets it: build textquest (Release) in a
# build directory of its own, make the .deb with CPack, install it with
# apt-get, play the installed game from PATH in tmux, read its man page, and
# remove the package again, also when a check fails.
#
#   bash tests/package/deb_test.sh [source dir]
#
# Needs root (or sudo), cmake, a C++ compiler, dpkg-dev, tmux and man-db.
# Prints one line per check and ends with "N passed, M failed"; the exit
# status is 0 only when nothing failed.
set -uo pipefail
export LC_ALL=C.UTF-8 LANG=C.UTF-8

SRC=$(cd "${1:-$(dirname "$0")/../..}" && pwd)
WORK=$(mktemp -d)
chmod 755 "$WORK"   # apt's unprivileged download user reads the .deb from here
TIMEOUT=${DEB_TEST_TIMEOUT:-15}   # seconds any single expected screen may take
[ "$TIMEOUT" -ge 1 ] 2>/dev/null || TIMEOUT=1
MAN_PAGE=/usr/share/man/man6/textquest.6.gz

passed=0
failed=0
installed_here=0

pass() { echo "ok - $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
check() {  # check "description" command...
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

if [ "$(id -u)" = 0 ]; then SUDO=(); else SUDO=(sudo); fi
apt_get() {
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=120 "$@"
}

source "$(dirname "${BASH_SOURCE[0]}")/../tmux_server.sh"
tmux_server_init textquest-deb

# Whatever happens, the package goes away again and the tmux server with it.
finish() {
  tmux_server_stop
  if [ "$installed_here" = 1 ]; then
    if apt_get remove -y -qq textquest >"$WORK/remove.log" 2>&1 &&
       ! dpkg-query -W -f='${Status}' textquest 2>/dev/null | grep -q ' installed$' &&
       [ ! -e /usr/games/textquest ] && [ ! -e "$MAN_PAGE" ]; then
      pass "apt-get remove textquest takes the game and its man page away"
    else
      fail "apt-get remove textquest"; sed 's/^/  /' "$WORK/remove.log"
    fi
  fi
  rm -rf "$WORK"
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ] && exit 0 || exit 1
}
trap finish EXIT
# A signal still removes the package (through the EXIT trap).
# shellcheck disable=SC2064  # the signal's name is meant to be fixed now
for sig in INT TERM HUP; do trap "fail 'interrupted by SIG$sig'; exit 1" "$sig"; done

need() { command -v "$1" >/dev/null || { fail "$1 is not installed (package $2)"; exit 1; }; }
need cmake cmake
need dpkg-shlibdeps dpkg-dev
need tmux tmux
need man man-db
need apt-get apt
if [ "${#SUDO[@]}" -gt 0 ] && ! sudo -n true 2>/dev/null; then
  fail "installing a package needs root or password-less sudo"; exit 1
fi
# Never clobber a textquest the machine already has.
if dpkg-query -W -f='${Status}' textquest 2>/dev/null | grep -q ' installed$'; then
  fail "a textquest package is already installed here; remove it before running this test"; exit 1
fi

# --- Build the package ---
BUILD=$WORK/build
if cmake -S "$SRC" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DTEXTQUEST_TESTS=OFF >"$WORK/build.log" 2>&1 &&
   cmake --build "$BUILD" -j2 >>"$WORK/build.log" 2>&1 &&
   (cd "$BUILD" && cpack -G DEB) >>"$WORK/build.log" 2>&1; then
  pass "cmake, build and cpack -G DEB"
else
  fail "building the package:"; tail -n 30 "$WORK/build.log" | sed 's/^/  /'; exit 1
fi
DEB=$(ls "$BUILD"/textquest_*.deb 2>/dev/null | head -n 1)
[ -n "$DEB" ] || { fail "no textquest_*.deb in $BUILD"; exit 1; }
pass "package file $(basename "$DEB")"

# --- What the package says and holds ---
field() { dpkg-deb -f "$DEB" "$1"; }
check "Package: textquest" [ "$(field Package)" = textquest ]
check "Section: games" [ "$(field Section)" = games ]
check "Description names the game" \
  [ "$(field Description | head -n 1)" = "small role-playing game for an 80x25 text console" ]
check "Maintainer: $(field Maintainer)" [ -n "$(field Maintainer)" ]
# Only the C and C++ runtimes that the binary links, as dpkg-shlibdeps found them.
depends=$(field Depends)
dep_names=$(printf '%s' "$depends" | tr ',' '\n' | sed 's/(.*//; s/[[:space:]]//g' | sort | tr '\n' ' ')
check "Depends on the C and C++ runtimes only: $depends" \
  [ "$dep_names" = "libc6 libgcc-s1 libstdc++6 " ]
contents=$(dpkg-deb -c "$DEB" | awk '{print $NF}')
check "the game is in /usr/games" grep -qx './usr/games/textquest' <<<"$contents"
check "the man page is $MAN_PAGE" grep -qx ".$MAN_PAGE" <<<"$contents"
check "nothing else is in the package" \
  [ "$(grep -v '/$' <<<"$contents" | sort | tr '\n' ' ')" = "./usr/games/textquest .$MAN_PAGE " ]

# --- Install it ---
# Minimal images (Docker's Debian among them) tell dpkg to drop every man page.
# A player's system keeps them; here the test asks dpkg to keep this one page,
# says so, and still checks that the package ships it.
apt_options=()
excluded_by=""
for conf in /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/*; do
  [ -f "$conf" ] || continue
  while read -r directive pattern _; do
    # shellcheck disable=SC2053  # dpkg's patterns are globs, matched as such
    case $directive in
      path-exclude) [[ $MAN_PAGE == $pattern ]] && excluded_by="$conf: path-exclude $pattern" ;;
      path-include) [[ $MAN_PAGE == $pattern ]] && excluded_by="" ;;
    esac
  done <"$conf"
done
if [ -n "$excluded_by" ]; then
  echo "NOTE: this system's dpkg drops man pages ($excluded_by);"
  echo "NOTE: installing with --path-include=$MAN_PAGE so that the page can be checked."
  apt_options=(-o "DPkg::Options::=--path-include=$MAN_PAGE")
fi
installed_here=1
if apt_get install -y -qq "${apt_options[@]}" "$DEB" >"$WORK/install.log" 2>&1; then
  pass "apt-get install $(basename "$DEB")"
else
  fail "apt-get install:"; sed 's/^/  /' "$WORK/install.log"; exit 1
fi

# --- Play the installed game from PATH ---
# Debian puts /usr/games on the PATH of a player's login shell (/etc/profile)
# but not on root's; add it as a player's shell has it.
case ":$PATH:" in *:/usr/games:*) ;; *) PATH=$PATH:/usr/games; echo "NOTE: added /usr/games to PATH, as a player's login shell has it" ;; esac
check "textquest on PATH is /usr/games/textquest" [ "$(command -v textquest)" = /usr/games/textquest ]

cat >"$WORK/run.sh" <<RUN
export PATH="$PATH"
textquest 2>"$WORK/stderr"
echo \$? >"$WORK/status"
RUN
tm new-session -d -s game -x 80 -y 25 "bash $WORK/run.sh"

row() { tm capture-pane -p -t game | sed -n "${1}p" | sed 's/ *$//'; }
# Waits until row n starts with text, up to TIMEOUT seconds.
wait_row_prefix() {
  local deadline=$((SECONDS + TIMEOUT))
  until [[ "$(row "$1")" == "$2"* ]]; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}
# Waits until a file is there and not empty, up to TIMEOUT seconds.
wait_until_file() {
  local deadline=$((SECONDS + TIMEOUT))
  until [ -s "$1" ]; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}
show_screen() { tm capture-pane -p -t game | sed 's/^/  | /'; }

if wait_row_prefix 1 "Enter main character's name:"; then
  pass "the name prompt appears"
  tm send-keys -t game "Ann" Enter
  if wait_row_prefix 5 "Area: 1" && wait_row_prefix 1 "Xpos: 3"; then
    pass "the village after naming the hero"
    tm send-keys -t game Right
    if wait_row_prefix 1 "Xpos: 4"; then pass "a step right"; else fail "a step right"; show_screen; fi
  else
    fail "the village after naming the hero"; show_screen
  fi
else
  fail "the name prompt appears"; show_screen
fi
tm send-keys -t game q
if wait_until_file "$WORK/status"; then
  check "q quits with exit status 0 (got $(cat "$WORK/status"))" [ "$(cat "$WORK/status")" = 0 ]
  check "nothing on standard error" [ ! -s "$WORK/stderr" ]
else
  fail "the game did not end after q"; show_screen
fi

# --- The man page ---
check "man -w textquest finds $MAN_PAGE" [ "$(man -w textquest 2>&1)" = "$MAN_PAGE" ]
rendered=$(MANWIDTH=80 man -P cat textquest 2>"$WORK/man.err")
check "man textquest shows the page" grep -q "textquest - a small role-playing game for an 80x25 text console" <<<"$rendered"
check "man textquest shows the exit statuses" grep -q "^EXIT STATUS" <<<"$rendered"
check "man textquest renders without warnings" [ ! -s "$WORK/man.err" ]
[ -s "$WORK/man.err" ] && sed 's/^/  /' "$WORK/man.err"
exit 0
