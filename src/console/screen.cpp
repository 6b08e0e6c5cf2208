// The virtual 80x25 console: its cells, cursor, cursor size, attribute of later
// text and the two stored colours, with the console-library operations and the
// text output (cprintf, conout) that write into them.
//
// Nothing here touches a terminal. The renderer reads the cells back through
// cellAt and uses screenVersion to skip frames in which nothing changed, so every
// path that changes a cell or the cursor bumps the version.
#include "console/screen.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <streambuf>
#include <vector>

namespace conio {

int BACKGROUND = 0;
int FOREGROUND = 7;

namespace {

// The row the cursor sits in once text has run off the bottom; nothing scrolls,
// so writes there are dropped until gotoxy brings the cursor back.
constexpr int belowScreen = screenHeight + 1;

Cell cells[screenHeight][screenWidth];  // [row - 1][column - 1]
int cursorColumn = 1;                   // 1..80
int cursorRow = 1;                      // 1..25, or belowScreen
std::uint16_t laterAttribute = 7;       // the attribute of text written next
int cursorPercent = 25;                 // how much of the cell the cursor fills
std::uint64_t version = 0;              // bumped on every change of a cell or the cursor

// background * 16 + foreground modulo 65536 for any ints: unsigned arithmetic
// wraps instead of overflowing, and 65536 divides its modulus.
std::uint16_t composeAttribute(int background, int foreground) {
  return static_cast<std::uint16_t>(static_cast<unsigned>(background) * 16u +
                                    static_cast<unsigned>(foreground));
}

bool onScreen(long long column, long long row) {
  return column >= 1 && column <= screenWidth && row >= 1 && row <= screenHeight;
}

// Stores an ordinary byte at the cursor and moves right; a byte in the last
// column moves the cursor to the next row at once.
void putByte(unsigned char ch) {
  if (cursorRow == belowScreen) return;
  cells[cursorRow - 1][cursorColumn - 1] = Cell{ch, laterAttribute};
  if (++cursorColumn > screenWidth) {
    cursorColumn = 1;
    ++cursorRow;
  }
}

// Blanks from the cursor to the end of its row, keeping the attributes.
void blankRestOfRow() {
  if (cursorRow == belowScreen) return;
  for (int column = cursorColumn; column <= screenWidth; ++column) {
    cells[cursorRow - 1][column - 1].ch = ' ';
  }
  ++version;
}

// Unbuffered, so text streamed to conout lands on the screen at once and in
// order with the console operations; flush and std::endl have nothing to do.
class ScreenStreamBuf : public std::streambuf {
 protected:
  int_type overflow(int_type ch) override {
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
      const char byte = traits_type::to_char_type(ch);
      putText(std::string_view(&byte, 1));
    }
    return traits_type::not_eof(ch);
  }
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    putText(std::string_view(bytes, static_cast<std::size_t>(count)));
    return count;
  }
  int sync() override { return 0; }
};

ScreenStreamBuf screenStreamBuf;

}  // namespace

std::ostream conout(&screenStreamBuf);

// --- The console operations ---

void clrscr() {
  const Cell blank{' ', composeAttribute(BACKGROUND, FOREGROUND)};
  for (auto& row : cells) std::fill(std::begin(row), std::end(row), blank);
  ++version;
  gotoxy(1, 1);
}

void clreol() { blankRestOfRow(); }

// No line moves: the run is the rest of the cursor's row, which also keeps the
// blanking inside the screen wherever the cursor is.
void delline() {
  const int column = cursorColumn;
  const int row = cursorRow;
  blankRestOfRow();
  gotoxy(column, row);
}

// The rectangle keeps its shape in text, (right - left + 1) characters to a
// row; cells of it that lie outside the screen read as blanks, so a rectangle
// reaching past an edge never reads outside the cells.
int _conio_gettext(int left, int top, int right, int bottom, char* text) {
  char* out = text;
  for (long long row = top; row <= bottom; ++row) {
    for (long long column = left; column <= right; ++column) {
      *out++ = static_cast<char>(onScreen(column, row) ? cells[row - 1][column - 1].ch : ' ');
    }
  }
  *out = '\0';
  return 1;
}

void gotoxy(int column, int row) {
  if (!onScreen(column, row)) return;
  cursorColumn = column;
  cursorRow = row;
  ++version;
}

// The string fills the rectangle row by row, (right - left + 1) characters to a
// row; every cell after the string's end is an empty black cell. Cells of the
// rectangle outside the screen are skipped, so only the visible part is walked
// and the string is indexed directly: rectangle cell k holds the string's byte k.
void puttext(int left, int top, int right, int bottom, const char* text) {
  if (right < left || bottom < top) return;
  // 64-bit, since the corners may lie anywhere in int's range.
  const long long width = static_cast<long long>(right) - left + 1;
  const auto length = static_cast<long long>(std::strlen(text));
  for (int row = std::max(top, 1); row <= std::min(bottom, screenHeight); ++row) {
    const long long rowsBefore = static_cast<long long>(row) - top;
    // Checked by division first, as a huge rectangle would overflow the product.
    const long long rowStart = rowsBefore > length / width ? length : rowsBefore * width;
    for (int column = std::max(left, 1); column <= std::min(right, screenWidth); ++column) {
      const long long k = rowStart + (static_cast<long long>(column) - left);
      cells[row - 1][column - 1] =
          k < length ? Cell{static_cast<unsigned char>(text[k]), 7} : Cell{0, 0};
    }
  }
  ++version;
}

void _setcursortype(int size) {
  if (size < 1 || size > 100) return;
  cursorPercent = size;
  ++version;
}

void textattr(int attribute) { laterAttribute = static_cast<std::uint16_t>(attribute); }

void textbackground(int color) {
  BACKGROUND = color;
  laterAttribute = composeAttribute(BACKGROUND, FOREGROUND);
}

void textcolor(int color) {
  FOREGROUND = color;
  laterAttribute = composeAttribute(BACKGROUND, FOREGROUND);
}

int wherex() { return cursorColumn; }
int wherey() { return cursorRow; }

// --- Text output ---

void putText(std::string_view bytes) {
  if (bytes.empty()) return;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (byte) {
      case '\n':
        cursorColumn = 1;
        cursorRow = std::min(cursorRow + 1, belowScreen);
        break;
      case '\r':
        cursorColumn = 1;
        break;
      case '\b':
        cursorColumn = std::max(cursorColumn - 1, 1);
        break;
      case '\a':
        break;
      case '\t':
        // Blanks up to the next tab stop, overwriting what they pass.
        for (int blanks = 8 - (cursorColumn - 1) % 8; blanks > 0; --blanks) putByte(' ');
        break;
      default:
        putByte(byte);
    }
  }
  ++version;
}

int cprintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list argsAgain;
  va_copy(argsAgain, args);
  char small[256];  // most game lines fit; only longer ones allocate
  const int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (length >= 0 && static_cast<std::size_t>(length) < sizeof small) {
    putText(std::string_view(small, static_cast<std::size_t>(length)));
  } else if (length >= 0) {
    std::vector<char> large(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, argsAgain);
    putText(std::string_view(large.data(), static_cast<std::size_t>(length)));
  }
  va_end(argsAgain);
  return length;
}

// --- Read-back ---

const Cell& cellAt(int column, int row) {
  static const Cell outside{};  // a caller's stray position reads as a blank
  if (!onScreen(column, row)) return outside;
  return cells[row - 1][column - 1];
}

std::string rowText(int row) {
  std::string text;
  if (row < 1 || row > screenHeight) return text;
  text.reserve(screenWidth);
  for (const Cell& cell : cells[row - 1]) text.push_back(static_cast<char>(cell.ch));
  return text;
}

int cursorSize() { return cursorPercent; }
int textAttribute() { return laterAttribute; }
std::uint64_t screenVersion() { return version; }

void resetScreen() {
  for (auto& row : cells) std::fill(std::begin(row), std::end(row), Cell{});
  cursorColumn = 1;
  cursorRow = 1;
  laterAttribute = 7;
  BACKGROUND = 0;
  FOREGROUND = 7;
  cursorPercent = 25;
  ++version;
}

}  // namespace conio
