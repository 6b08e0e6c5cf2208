// Turns the virtual screen into the bytes that make a real terminal show it.
//
// The renderer remembers what the terminal shows (the front buffer, the
// terminal's cursor and colours, its size) and each frame compares the virtual
// screen (screen.h) with it, producing one string with only what changed:
// cursor moves, colour changes and glyphs. It does no I/O, so tests can read
// the bytes of every frame; the terminal backend (terminal.h) writes them.
#pragma once

#include <cstdint>
#include <string>

#include "console/screen.h"

namespace conio {

struct Renderer {
  Cell front[screenHeight][screenWidth];  // what the terminal shows of the screen
  int rows = screenHeight;                // terminal size, in rows...
  int columns = screenWidth;              // ...and columns
  bool utf8 = true;                       // glyphs in UTF-8, else ASCII stand-ins
  bool repaintAll = true;                 // the next frame clears and draws everything
  int cursorRow = 0, cursorColumn = 0;    // the terminal's cursor; 0 when not known
  int attribute = -1;                     // what the terminal draws in (see renderer.cpp)
  int cursorShown = -1;                   // 1 shown, 0 hidden, -1 not known
  std::uint64_t version = 0;              // screenVersion() the front buffer matches
  std::string frame;                      // the bytes of the latest frame
};

// Sets the renderer up for a terminal of that size; the next frame repaints it all.
void startRenderer(Renderer& renderer, int rows, int columns, bool utf8);
// The terminal changed size; the next frame repaints it all.
void resizeRenderer(Renderer& renderer, int rows, int columns);
// The terminal's contents are no longer known (it was used by someone else,
// or echoed a typed line); the next frame repaints it all.
void invalidateRenderer(Renderer& renderer);

// Builds the frame that brings the terminal up to date with the virtual
// screen and its cursor. The result stays valid until the next call; it is
// empty when nothing changed.
const std::string& renderFrame(Renderer& renderer);

// Whether a locale's settings (the values of LC_ALL, LC_CTYPE and LANG; null
// or empty when unset) choose UTF-8, the first one set deciding.
bool localeIsUtf8(const char* lcAll, const char* lcCtype, const char* lang);

}  // namespace conio
