// ncurses as a reference renderer: the virtual screen copied into stdscr cell
// by cell, and the bytes of each update counted. The game's headers come
// first; curses.h defines macros (move, clear, refresh...) that must not leak
// into anything else, which is why this file stands alone.
#include "ncurses_frames.h"

#include <sys/stat.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "console/cp437.h"
#include "console/screen.h"

#include <curses.h>

namespace bench {
namespace {

// The Unicode code point a code page 437 byte shows, from its UTF-8 text.
wchar_t codePoint(unsigned char byte) {
  const std::string_view utf8 = conio::cp437ToUtf8(byte);
  const auto b = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  if (utf8.empty()) return L' ';
  if (b(0) < 0x80) return b(0);
  if (b(0) < 0xE0) return static_cast<wchar_t>((b(0) & 0x1F) << 6 | (b(1) & 0x3F));
  if (b(0) < 0xF0) return static_cast<wchar_t>((b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F));
  return static_cast<wchar_t>((b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F));
}

// Console colour bits are blue 1, green 2, red 4, bright 8; ANSI's are red 1,
// green 2, blue 4, and the bright ones are 8 to 15.
short ansiColour(int consoleColour) {
  return static_cast<short>((consoleColour & 1) << 2 | (consoleColour & 2) | (consoleColour & 4) >> 2 |
                            (consoleColour & 8));
}

}  // namespace

struct CursesTerminal::State {
  FILE* out = nullptr;
  FILE* in = nullptr;
  SCREEN* screen = nullptr;
  bool pairMade[256] = {};
  int cursorShown = -1;
  long long written = 0;  // the output file's size after the last update

  long long outputSize() {
    std::fflush(out);
    struct stat st {};
    fstat(fileno(out), &st);
    return static_cast<long long>(st.st_size);
  }

  // Attribute 7 is the terminal's own colours, as the game's renderer sends
  // it; any other one gets a colour pair made on first use.
  short pairFor(int attribute) {
    if (attribute == 7) return 0;
    const int fg = attribute & 15, bg = (attribute >> 4) & 15;
    const short pair = static_cast<short>(1 + fg * 16 + bg);
    if (!pairMade[pair - 1]) {
      init_pair(pair, ansiColour(fg), ansiColour(bg));
      pairMade[pair - 1] = true;
    }
    return pair;
  }
};

CursesTerminal::CursesTerminal() : state_(new State) {
  std::setlocale(LC_CTYPE, "C.UTF-8");  // ncursesw sends UTF-8 only under a UTF-8 locale
  setenv("LINES", "25", 1);             // the output is a file: no size to ask it for
  setenv("COLUMNS", "80", 1);
  state_->out = std::tmpfile();
  state_->in = std::fopen("/dev/null", "r");
  if (!state_->out || !state_->in) throw std::runtime_error("ncurses bench: cannot open its files");
  state_->screen = newterm("xterm-256color", state_->out, state_->in);
  if (!state_->screen) throw std::runtime_error("ncurses bench: no terminfo entry for xterm-256color");
  set_term(state_->screen);
  if (LINES != conio::screenHeight || COLS != conio::screenWidth)
    throw std::runtime_error("ncurses bench: the screen is not 25x80");
  raw();
  noecho();
  nonl();          // no output processing, as in the game's raw mode
  typeahead(-1);   // never cut an update short to look at the (empty) input
  leaveok(stdscr, FALSE);
  scrollok(stdscr, FALSE);
  if (has_colors()) {
    start_color();
    use_default_colors();
  }
  // The first update enters the alternate screen and clears it: set-up, not counted.
  wnoutrefresh(stdscr);
  doupdate();
  state_->written = state_->outputSize();
}

CursesTerminal::~CursesTerminal() {
  endwin();
  delscreen(state_->screen);
  std::fclose(state_->out);
  std::fclose(state_->in);
  delete state_;
}

std::size_t CursesTerminal::frame() {
  for (int row = 1; row <= conio::screenHeight; ++row) {
    for (int column = 1; column <= conio::screenWidth; ++column) {
      const conio::Cell& cell = conio::cellAt(column, row);
      const wchar_t text[2] = {codePoint(cell.ch), L'\0'};
      const int attribute = cell.attr & 0xFF;
      cchar_t c;
      setcchar(&c, text, A_NORMAL, state_->pairFor(attribute), nullptr);
      // The last cell of the last row reports an error (the cursor cannot
      // move past it) but is stored all the same.
      mvwadd_wch(stdscr, row - 1, column - 1, &c);
    }
  }
  const int x = conio::wherex(), y = conio::wherey();
  const bool onScreen = x >= 1 && x <= conio::screenWidth && y >= 1 && y <= conio::screenHeight;
  if (onScreen) wmove(stdscr, y - 1, x - 1);
  if (state_->cursorShown != (onScreen ? 1 : 0)) {
    curs_set(onScreen ? 1 : 0);
    state_->cursorShown = onScreen ? 1 : 0;
  }
  wnoutrefresh(stdscr);
  doupdate();
  const long long size = state_->outputSize();
  const std::size_t bytes = static_cast<std::size_t>(size - state_->written);
  state_->written = size;
  return bytes;
}

}  // namespace bench
