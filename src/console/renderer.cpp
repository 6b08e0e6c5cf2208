// The renderer: one frame at a time, the bytes that bring a terminal from what
// it shows (the front buffer) to what the virtual screen holds.
//
// A frame walks the rows top to bottom and writes each changed cell, moving
// the terminal's cursor the cheapest way it knows and changing colours only
// when the attribute changes; it ends with the cursor at the virtual cursor.
// The sequences are plain VT100/ECMA-48 ones every terminal in use knows.
// The terminal is in raw mode without output processing, so a line feed moves
// the cursor straight down and nothing else.
#include "console/renderer.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "console/cp437.h"

namespace conio {
namespace {

// Renderer::attribute when the terminal's colours are not known: after a
// start or an invalidate, the next colour change sends everything.
constexpr int unknownAttribute = -1;

// --- The terminal's size ---

// A terminal smaller than the screen shows a notice on its last row.
bool noticeShown(const Renderer& r) { return r.rows < screenHeight || r.columns < screenWidth; }

int visibleRows(const Renderer& r) { return std::min(screenHeight, noticeShown(r) ? r.rows - 1 : r.rows); }

int visibleColumns(const Renderer& r) { return std::min(screenWidth, r.columns); }

// --- Escape sequences, each returning its length in bytes. With a null
// `out` they only count, so that moves can be compared before one is sent. ---

int digits(int n) { return n < 10 ? 1 : n < 100 ? 2 : n < 1000 ? 3 : n < 10000 ? 4 : 5; }

void appendNumber(std::string& out, int n) {
  char text[12];
  auto end = std::to_chars(text, text + sizeof text, n).ptr;
  out.append(text, end);
}

// CSI n <final>; a count of 1 is the default and is left out.
int csiCount(std::string* out, int n, char final) {
  if (out) {
    *out += "\x1b[";
    if (n != 1) appendNumber(*out, n);
    *out += final;
  }
  return 3 + (n == 1 ? 0 : digits(n));
}

// CSI row;column H, leaving out a row or column of 1, the defaults.
int cursorPosition(std::string* out, int row, int column) {
  if (out) {
    *out += "\x1b[";
    if (row != 1) appendNumber(*out, row);
    if (column != 1) {
      *out += ';';
      appendNumber(*out, column);
    }
    *out += 'H';
  }
  return 3 + (row == 1 ? 0 : digits(row)) + (column == 1 ? 0 : 1 + digits(column));
}

int glyphLength(const Renderer& r, unsigned char ch) {
  return r.utf8 ? static_cast<int>(cp437ToUtf8(ch).size()) : 1;
}

void appendGlyph(std::string& out, bool utf8, unsigned char ch) {
  if (utf8)
    out += cp437ToUtf8(ch);
  else
    out += cp437ToAscii(ch);
}

// --- Cursor motion. Rows and columns count from 1 as on the screen. ---

// Writing again the glyphs the terminal already shows between the cursor and
// the target moves the cursor too, and for a gap of a cell or two is shorter
// than any escape sequence. It needs the cells to be in the current colours.
// Returns the cost, or more than `limit` when it is not possible or dearer.
int redrawCost(const Renderer& r, int row, int from, int to, int limit) {
  if (r.attribute == unknownAttribute || row > visibleRows(r)) return limit + 1;
  int cost = 0;
  for (int column = from; column < to && cost <= limit; ++column) {
    const Cell& cell = r.front[row - 1][column - 1];
    if ((cell.attr & 0xFF) != r.attribute) return limit + 1;
    cost += glyphLength(r, cell.ch);
  }
  return cost;
}

// Right along the row, by rewriting shown glyphs or by CSI n C.
int right(const Renderer& r, std::string* out, int row, int from, int to) {
  const int csi = csiCount(nullptr, to - from, 'C');
  const int redraw = redrawCost(r, row, from, to, csi);
  if (redraw >= csi) return csiCount(out, to - from, 'C');
  if (out)
    for (int column = from; column < to; ++column) appendGlyph(*out, r.utf8, r.front[row - 1][column - 1].ch);
  return redraw;
}

// Left along the row, by backspaces or by CSI n D.
int left(std::string* out, int from, int to) {
  const int n = from - to;
  if (n <= 3) {
    if (out) out->append(static_cast<size_t>(n), '\b');
    return n;
  }
  return csiCount(out, n, 'D');
}

// Along the row from column `from` (0 when not known) to `to`: straight there,
// or by a carriage return and then right.
int horizontal(const Renderer& r, std::string* out, int row, int from, int to) {
  if (from == to) return 0;
  const int viaReturn = 1 + (to == 1 ? 0 : right(r, nullptr, row, 1, to));
  if (from > 0) {
    const int direct = from < to ? right(r, nullptr, row, from, to) : left(nullptr, from, to);
    if (!out) return std::min(direct, viaReturn);
    if (direct <= viaReturn) return from < to ? right(r, out, row, from, to) : left(out, from, to);
  }
  if (!out) return viaReturn;
  *out += '\r';
  return 1 + (to == 1 ? 0 : right(r, out, row, 1, to));
}

// Up or down the column: line feeds for a short way down, else CSI n A / B.
int vertical(std::string* out, int from, int to) {
  if (from == to) return 0;
  if (to < from) return csiCount(out, from - to, 'A');
  if (to - from <= 3) {
    if (out) out->append(static_cast<size_t>(to - from), '\n');
    return to - from;
  }
  return csiCount(out, to - from, 'B');
}

// Puts the terminal's cursor at (row, column), the cheapest way: relative to
// where it is, when that is known, or absolutely.
void moveCursor(Renderer& r, int row, int column) {
  if (r.cursorRow == row && r.cursorColumn == column) return;
  const int absolute = cursorPosition(nullptr, row, column);
  const bool relative = r.cursorRow > 0 && vertical(nullptr, r.cursorRow, row) +
                                                   horizontal(r, nullptr, row, r.cursorColumn, column) <
                                               absolute;
  if (relative) {
    vertical(&r.frame, r.cursorRow, row);
    horizontal(r, &r.frame, row, r.cursorColumn, column);
  } else {
    cursorPosition(&r.frame, row, column);
  }
  r.cursorRow = row;
  r.cursorColumn = column;
}

// --- Colours ---

// Console colour bits are blue 1, green 2, red 4; ANSI's are red 1, green 2, blue 4.
int ansiColour(int consoleColour) {
  return (consoleColour & 1) << 2 | (consoleColour & 2) | (consoleColour & 4) >> 2;
}

void appendForeground(std::string& out, int colour) {
  appendNumber(out, (colour & 8 ? 90 : 30) + ansiColour(colour));
}

void appendBackground(std::string& out, int colour) {
  appendNumber(out, (colour & 8 ? 100 : 40) + ansiColour(colour));
}

// Sends SGR for an attribute (0-255), only what differs from the current one.
// Attribute 7 is the terminal's own default colours; any other attribute sets
// both colours explicitly, so only a change of one of them needs sending.
void setAttribute(Renderer& r, int attribute) {
  if (r.attribute == attribute) return;
  std::string& out = r.frame;
  if (attribute == 7) {
    out += "\x1b[m";
  } else {
    const bool explicitNow = r.attribute != unknownAttribute && r.attribute != 7;
    const bool sendForeground = !explicitNow || (r.attribute & 15) != (attribute & 15);
    const bool sendBackground = !explicitNow || (r.attribute >> 4) != (attribute >> 4);
    out += "\x1b[";
    if (r.attribute == unknownAttribute) out += "0;";
    if (sendForeground) appendForeground(out, attribute & 15);
    if (sendForeground && sendBackground) out += ';';
    if (sendBackground) appendBackground(out, attribute >> 4);
    out += 'm';
  }
  r.attribute = attribute;
}

// --- Drawing ---

// Writes one cell where the terminal shows something else.
void putCell(Renderer& r, int row, int column, const Cell& cell) {
  moveCursor(r, row, column);
  setAttribute(r, cell.attr & 0xFF);
  appendGlyph(r.frame, r.utf8, cell.ch);
  r.front[row - 1][column - 1] = cell;
  r.cursorColumn = column + 1;
  // In the last column terminals differ (a pending wrap, or none): forget.
  if (column == r.columns) r.cursorRow = r.cursorColumn = 0;
}

// The size notice, in reverse video on the terminal's last row, cut to its
// width. The default colours come back at once, for whatever is drawn next.
void drawNotice(Renderer& r) {
  std::string text = "textquest needs " + std::to_string(screenWidth) + "x" + std::to_string(screenHeight) +
                     ", this terminal is " + std::to_string(r.columns) + "x" + std::to_string(r.rows);
  text.resize(std::min(text.size(), static_cast<size_t>(r.columns)));
  moveCursor(r, r.rows, 1);
  r.frame += "\x1b[7m";
  r.frame += text;
  r.frame += "\x1b[m";
  r.cursorColumn = static_cast<int>(text.size()) + 1;
  if (r.cursorColumn > r.columns) r.cursorRow = r.cursorColumn = 0;
}

// Clears the terminal in its default colours; the front buffer then holds
// blanks, so the cell walk that follows draws every cell that is not one.
void clearTerminal(Renderer& r) {
  r.frame += "\x1b[m\x1b[2J";
  r.attribute = 7;
  r.cursorRow = r.cursorColumn = 0;  // the clear leaves it where it was, maybe not known
  for (auto& row : r.front) std::fill(std::begin(row), std::end(row), Cell{' ', 7});
  if (noticeShown(r)) drawNotice(r);
  r.repaintAll = false;
}

// The screen's cells of a row when they lie side by side in memory, as a plain
// array keeps them, so a whole row can be compared at once; else null.
const Cell* screenRow(int row) {
  const Cell* first = &cellAt(1, row);
  const auto span = reinterpret_cast<std::uintptr_t>(&cellAt(screenWidth, row)) -
                    reinterpret_cast<std::uintptr_t>(first);
  return span == (screenWidth - 1) * sizeof(Cell) ? first : nullptr;
}

void drawChangedCells(Renderer& r) {
  const int rows = visibleRows(r), columns = visibleColumns(r);
  for (int row = 1; row <= rows; ++row) {
    const Cell* cells = screenRow(row);
    Cell* front = r.front[row - 1];
    if (cells && std::memcmp(cells, front, sizeof r.front[0]) == 0) continue;
    for (int column = 1; column <= columns; ++column) {
      const Cell& cell = cells ? cells[column - 1] : cellAt(column, row);
      if (!(cell == front[column - 1])) putCell(r, row, column, cell);
    }
    // Copy the whole row, padding bytes included, so that it compares equal
    // next time. Cells beyond a narrow terminal's edge are never drawn; a
    // resize repaints everything anyway.
    if (cells) std::memcpy(front, cells, sizeof r.front[0]);
  }
}

// The cursor goes where the virtual cursor is and shows, unless that cell is
// off the screen (below the last row) or beyond what the terminal shows.
void placeCursor(Renderer& r) {
  const int column = wherex(), row = wherey();
  if (row >= 1 && row <= visibleRows(r) && column >= 1 && column <= visibleColumns(r)) {
    moveCursor(r, row, column);
    if (r.cursorShown != 1) r.frame += "\x1b[?25h";
    r.cursorShown = 1;
  } else {
    if (r.cursorShown != 0) r.frame += "\x1b[?25l";
    r.cursorShown = 0;
  }
}

bool containsUtf8(const char* value) {
  std::string lower;
  for (const char* p = value; *p; ++p) lower += (*p >= 'A' && *p <= 'Z') ? static_cast<char>(*p - 'A' + 'a') : *p;
  return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
}

}  // namespace

void startRenderer(Renderer& renderer, int rows, int columns, bool utf8) {
  renderer.utf8 = utf8;
  resizeRenderer(renderer, rows, columns);
}

void resizeRenderer(Renderer& renderer, int rows, int columns) {
  renderer.rows = std::max(rows, 1);
  renderer.columns = std::max(columns, 1);
  invalidateRenderer(renderer);
}

void invalidateRenderer(Renderer& renderer) {
  renderer.repaintAll = true;
  renderer.cursorRow = renderer.cursorColumn = 0;
  renderer.attribute = unknownAttribute;
  renderer.cursorShown = -1;
}

const std::string& renderFrame(Renderer& renderer) {
  renderer.frame.clear();
  const std::uint64_t version = screenVersion();
  if (!renderer.repaintAll && version == renderer.version) return renderer.frame;
  if (renderer.repaintAll) clearTerminal(renderer);
  drawChangedCells(renderer);
  placeCursor(renderer);
  renderer.version = version;
  return renderer.frame;
}

bool localeIsUtf8(const char* lcAll, const char* lcCtype, const char* lang) {
  for (const char* value : {lcAll, lcCtype, lang})
    if (value && *value) return containsUtf8(value);
  return false;
}

}  // namespace conio
