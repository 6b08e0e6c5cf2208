// The virtual screen shown through ncurses instead of the game's renderer, so
// that the bytes of the two can be compared on the same frames.
#pragma once

#include <cstddef>

namespace bench {

// An ncurses SCREEN of 25x80 for xterm-256color, in raw mode without output
// processing as the game's terminal is, writing into a temporary file whose
// growth gives the bytes sent. There is one per process: ncurses keeps
// global state.
class CursesTerminal {
 public:
  CursesTerminal();
  ~CursesTerminal();
  CursesTerminal(const CursesTerminal&) = delete;
  CursesTerminal& operator=(const CursesTerminal&) = delete;

  // Copies every cell of the virtual screen into stdscr, puts the cursor where
  // the virtual cursor is (hidden when that is off the screen) and updates the
  // terminal. Returns the bytes ncurses wrote for it.
  std::size_t frame();

 private:
  struct State;
  State* state_;
};

}  // namespace bench
