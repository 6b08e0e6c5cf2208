// The renderer, by the bytes it sends: exact bytes for small changes, and a
// replay of long runs of changes into a model terminal that must end up
// showing what the virtual screen holds, glyph for glyph and colour for colour.
#include "console/renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "console/cp437.h"
#include "console/screen.h"

namespace {

using namespace conio;

// --- A model terminal: the VT subset the renderer may use ---

// Cursor moves (CUP, CUU, CUD, CUF, CUB, CR, LF, BS), erase display (ED 2),
// colours (SGR 0, 7, 30-37, 90-97, 40-47, 100-107), cursor visibility and the
// alternate screen, and UTF-8 text with the last column's pending wrap. Anything
// else, and anything a real terminal would do differently, is an error.
struct ModelTerminal {
  struct Cell {
    std::string glyph = " ";
    int foreground = -1, background = -1;  // -1: the terminal's default
    bool reverse = false;
    friend bool operator==(const Cell&, const Cell&) = default;
  };

  int rows, columns;
  std::vector<Cell> cells;
  int row = 1, column = 1;
  bool wrapPending = false;     // a glyph was written in the last column
  int foreground = -1, background = -1;
  bool reverse = false;
  bool cursorVisible = true;
  std::vector<std::string> errors;

  ModelTerminal(int rows_, int columns_) : rows(rows_), columns(columns_), cells(size_t(rows_ * columns_)) {}

  Cell& at(int r, int c) { return cells[size_t((r - 1) * columns + (c - 1))]; }

  // Whatever someone else left on the terminal: garbage everywhere.
  void scramble(std::mt19937& rng) {
    for (Cell& cell : cells)
      cell = Cell{std::string(1, char('!' + rng() % 90)), int(rng() % 16), int(rng() % 16), true};
    row = 1 + int(rng() % unsigned(rows));
    column = 1 + int(rng() % unsigned(columns));
    foreground = 3, background = 5, reverse = true;
    cursorVisible = rng() % 2;
  }

  void apply(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (b == 0x1b) {
        i = escape(bytes, i);
      } else if (b == '\r') {
        mustKnowPosition("CR");
        column = 1, wrapPending = false, ++i;
      } else if (b == '\n') {
        mustKnowPosition("LF");
        if (row == rows) errors.push_back("LF on the last row scrolls");
        row = std::min(row + 1, rows), ++i;
      } else if (b == '\b') {
        mustKnowPosition("BS");
        column = std::max(column - 1, 1), ++i;
      } else if (b < 0x20 || b == 0x7f) {
        errors.push_back("control byte " + std::to_string(b));
        ++i;
      } else {
        i = glyph(bytes, i);
      }
    }
  }

  // After a glyph in the last column, terminals differ on where the cursor
  // is, so only an absolute move may follow.
  void mustKnowPosition(const char* what) {
    if (wrapPending) errors.push_back(std::string(what) + " after a glyph in the last column");
  }

  size_t glyph(std::string_view bytes, size_t i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    mustKnowPosition("a glyph");
    at(row, column) = Cell{std::string(bytes.substr(i, length)), foreground, background, reverse};
    if (column == columns)
      wrapPending = true;
    else
      ++column;
    return i + length;
  }

  size_t escape(std::string_view bytes, size_t i) {
    if (i + 1 >= bytes.size() || bytes[i + 1] != '[') {
      errors.push_back("ESC not followed by [");
      return i + 1;
    }
    i += 2;
    const bool isPrivate = i < bytes.size() && bytes[i] == '?';
    if (isPrivate) ++i;
    std::vector<int> params{-1};  // -1: left out
    for (; i < bytes.size() && (std::isdigit(static_cast<unsigned char>(bytes[i])) || bytes[i] == ';'); ++i) {
      if (bytes[i] == ';')
        params.push_back(-1);
      else
        params.back() = std::max(params.back(), 0) * 10 + (bytes[i] - '0');
    }
    if (i >= bytes.size()) {
      errors.push_back("unfinished CSI");
      return i;
    }
    const char final = bytes[i];
    auto param = [&](size_t k, int fallback) {
      return k < params.size() && params[k] > 0 ? params[k] : fallback;
    };
    const int n = param(0, 1);
    if (isPrivate) {
      if (final != 'h' && final != 'l') errors.push_back("unknown private CSI");
      if (params[0] == 25) cursorVisible = final == 'h';
      else if (params[0] != 1049) errors.push_back("unknown private mode");
      return i + 1;
    }
    if (final == 'm') {
      sgr(params);
      return i + 1;
    }
    if (final == 'H') {
      row = std::min(param(0, 1), rows), column = std::min(param(1, 1), columns), wrapPending = false;
      return i + 1;
    }
    if (final == 'J') {
      if (params[0] != 2) errors.push_back("ED other than 2");
      for (Cell& cell : cells) cell = Cell{" ", -1, background, false};
      return i + 1;
    }
    mustKnowPosition("a relative move");
    switch (final) {
      case 'A': row = std::max(row - n, 1); break;
      case 'B': row = std::min(row + n, rows); break;
      case 'C': column = std::min(column + n, columns); break;
      case 'D': column = std::max(column - n, 1); break;
      default: errors.push_back(std::string("unknown CSI final ") + final);
    }
    return i + 1;
  }

  void sgr(const std::vector<int>& params) {
    for (int p : params) {
      if (p <= 0) foreground = background = -1, reverse = false;
      else if (p == 7) reverse = true;
      else if (p >= 30 && p <= 37) foreground = p - 30;
      else if (p >= 90 && p <= 97) foreground = p - 90 + 8;
      else if (p >= 40 && p <= 47) background = p - 40;
      else if (p >= 100 && p <= 107) background = p - 100 + 8;
      else errors.push_back("unknown SGR " + std::to_string(p));
    }
  }

  std::string rowText(int r) {
    std::string text;
    for (int c = 1; c <= columns; ++c) text += at(r, c).glyph;
    return text;
  }
};

// --- What the model must show for the virtual screen ---

int ansi(int consoleColour) {  // red and blue trade places; bright stays bit 3
  return (consoleColour & 8) | (consoleColour & 1) << 2 | (consoleColour & 2) | (consoleColour & 4) >> 2;
}

ModelTerminal::Cell expectedCell(const conio::Cell& cell, bool utf8) {
  const int attribute = cell.attr & 0xFF;
  std::string glyph = utf8 ? std::string(cp437ToUtf8(cell.ch)) : std::string(1, cp437ToAscii(cell.ch));
  if (attribute == 7) return {glyph, -1, -1, false};
  return {glyph, ansi(attribute & 15), ansi(attribute >> 4), false};
}

std::string describe(const ModelTerminal::Cell& cell) {
  return "'" + cell.glyph + "' fg " + std::to_string(cell.foreground) + " bg " + std::to_string(cell.background) +
         (cell.reverse ? " reverse" : "");
}

std::string noticeFor(int rows, int columns) {
  std::string text = "textquest needs 80x25, this terminal is " + std::to_string(columns) + "x" + std::to_string(rows);
  return text.substr(0, size_t(columns));
}

// Empty when the model shows the virtual screen exactly; else the first difference.
std::string difference(ModelTerminal& model, bool utf8) {
  if (!model.errors.empty()) return "terminal error: " + model.errors.front();
  const bool notice = model.rows < 25 || model.columns < 80;
  const int rows = std::min(25, notice ? model.rows - 1 : model.rows), columns = std::min(80, model.columns);
  for (int r = 1; r <= model.rows; ++r) {
    for (int c = 1; c <= model.columns; ++c) {
      ModelTerminal::Cell want;
      if (r <= rows && c <= columns) {
        want = expectedCell(cellAt(c, r), utf8);
      } else if (notice && r == model.rows) {
        const std::string text = noticeFor(model.rows, model.columns);
        if (c <= int(text.size())) want = {std::string(1, text[size_t(c - 1)]), -1, -1, true};
      }
      if (!(model.at(r, c) == want))
        return "cell " + std::to_string(c) + "," + std::to_string(r) + ": shows " + describe(model.at(r, c)) +
               ", should show " + describe(want);
    }
  }
  const bool cursorOnScreen = wherey() <= rows && wherex() <= columns;
  if (model.cursorVisible != cursorOnScreen) return "cursor visibility";
  if (cursorOnScreen && (model.row != wherey() || model.column != wherex() || model.wrapPending))
    return "cursor at " + std::to_string(model.column) + "," + std::to_string(model.row) + ", should be at " +
           std::to_string(wherex()) + "," + std::to_string(wherey());
  return "";
}

class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override { resetScreen(); }

  // Starts the renderer and returns the first frame.
  std::string start(int rows = 25, int columns = 80, bool utf8 = true) {
    startRenderer(renderer, rows, columns, utf8);
    return renderFrame(renderer);
  }
  std::string frame() { return renderFrame(renderer); }

  Renderer renderer;
};

// --- Exact bytes for small changes ---

TEST_F(RendererTest, FirstFrameClearsAndPlacesTheCursor) {
  EXPECT_EQ(start(), "\x1b[m\x1b[2J\x1b[H\x1b[?25h");
  EXPECT_EQ(frame(), "");
}

TEST_F(RendererTest, OneChangedCellIsOneMoveAndOneGlyph) {
  start();
  gotoxy(10, 5);
  putText("A");
  EXPECT_EQ(frame(), "\x1b[5;10HA");
  gotoxy(11, 5);
  putText("\x02");
  EXPECT_EQ(frame(), "\u263B");  // the cursor is there already
}

TEST_F(RendererTest, NothingChangedSendsNothing) {
  gotoxy(3, 4);
  putText("hello");
  start();
  EXPECT_EQ(frame(), "");
  gotoxy(3, 4);
  putText("hello");  // the same text again: the screen's version moves, the cells do not
  EXPECT_EQ(frame(), "");
}

TEST_F(RendererTest, ColourIsSentOnceForARunAndOnlyWhatChanges) {
  start();
  textattr(0x1E);  // yellow on blue
  gotoxy(1, 3);
  putText("ab");
  textattr(0x1C);  // light red on blue: only the foreground changes
  putText("c");
  EXPECT_EQ(frame(), "\n\n\x1b[93;44mab\x1b[91mc");
  textattr(7);
  gotoxy(5, 3);
  putText("d");
  EXPECT_EQ(frame(), "\x1b[C\x1b[md");  // attribute 7 is the terminal's own colours
}

TEST_F(RendererTest, ColourMappingSwapsRedAndBlueAndIgnoresHighBits) {
  struct Case {
    int attribute;
    const char* sgr;
  } cases[] = {
      {0x01, "\x1b[34;40m"},   {0x04, "\x1b[31;40m"},  {0x0E, "\x1b[93;40m"}, {0x70, "\x1b[30;47m"},
      {0xF9, "\x1b[94;107m"}, {0x4F, "\x1b[97;41m"}, {0x00, "\x1b[30;40m"},
      {0x107, ""},  // bits above 7 ignored: plain attribute 7, nothing to send
  };
  for (const Case& c : cases) {
    resetScreen();
    start();
    textattr(c.attribute);
    gotoxy(2, 1);
    putText("x");
    // The blank before the cell, still in the default colours, is rewritten
    // as the cheapest way there.
    EXPECT_EQ(frame(), std::string(" ") + c.sgr + "x") << "attribute " << c.attribute;
  }
}

TEST_F(RendererTest, CursorOnlyMovesAndHidesBelowTheLastRow) {
  start();
  gotoxy(40, 12);
  EXPECT_EQ(frame(), "\x1b[12;40H");
  gotoxy(80, 25);
  putText("x");  // the cursor runs off the screen
  EXPECT_EQ(wherey(), 26);
  EXPECT_EQ(frame(), "\x1b[25;80Hx\x1b[?25l");
  gotoxy(1, 1);
  EXPECT_EQ(frame(), "\x1b[H\x1b[?25h");  // after the last column only an absolute move is safe
}

TEST_F(RendererTest, NearbyMovesUseTheShortestForm) {
  start();
  gotoxy(1, 1);
  putText("abcdefghij");
  frame();
  gotoxy(4, 1);
  putText("X");  // from column 11 back to 4: CSI 7 D beats CR plus "abc"
  gotoxy(6, 1);
  putText("Y");  // one unchanged glyph in between: rewritten, not skipped
  gotoxy(1, 1);
  EXPECT_EQ(frame(), "\x1b[7DXeY\r");
  gotoxy(1, 4);
  putText("z");
  gotoxy(1, 4);
  EXPECT_EQ(frame(), "\n\n\nz\b");  // three rows down: line feeds; one back: backspace
  gotoxy(2, 3);
  EXPECT_EQ(frame(), "\x1b[A ");  // up, then over a blank by rewriting it
  gotoxy(1, 1);
  EXPECT_EQ(frame(), "\x1b[H");
}

TEST_F(RendererTest, AnArrowStepWhileWalkingCostsFewBytes) {
  // The field with the read-out, the exit and the party.
  auto pass = [](int x) {
    gotoxy(10, 10);
    cprintf("%c\n", 178);
    gotoxy(1, 1);
    cprintf("Xpos: %d\nYpos: %d\n", x, 12);
    gotoxy(1, 5);
    cprintf("Area: %d\n", 2);
  };
  pass(20);
  gotoxy(20, 12);
  cprintf("%c", 2);
  start();
  // The step right: four blanks around the new cell, the party glyph, the next pass.
  for (auto [x, y] : {std::pair{20, 12}, {22, 12}, {21, 11}, {21, 13}}) {
    gotoxy(x, y);
    cprintf(" ");
  }
  gotoxy(21, 12);
  cprintf("%c", 2);
  pass(21);
  const std::string bytes = frame();
  EXPECT_EQ(bytes, "\x1b[;8H1\x1b[12;20H \u263B\x1b[6H");
  EXPECT_LE(bytes.size(), 27u);
}

TEST_F(RendererTest, AsciiTerminalsGetStandIns) {
  gotoxy(1, 1);
  putText("\x02\x01\xB1\xDB\x82");
  EXPECT_EQ(start(25, 80, false), "\x1b[m\x1b[2J\x1b[H@o:#e\x1b[?25h");
}

TEST_F(RendererTest, InvalidateRepaintsEverything) {
  gotoxy(1, 2);
  putText("ab");
  start();
  invalidateRenderer(renderer);
  EXPECT_EQ(frame(), "\x1b[m\x1b[2J\x1b[2Hab\x1b[?25h");
}

// --- The small-terminal notice ---

TEST_F(RendererTest, SmallTerminalShowsWhatFitsAndANotice) {
  gotoxy(1, 1);
  putText(std::string(80, 'a'));
  gotoxy(1, 20);
  putText("row twenty");
  start(20, 60);
  ModelTerminal model(20, 60);
  model.apply(renderer.frame);
  EXPECT_EQ(difference(model, true), "");
  EXPECT_EQ(model.rowText(1), std::string(60, 'a'));
  EXPECT_EQ(model.rowText(20), noticeFor(20, 60) + std::string(60 - 45, ' '));
  EXPECT_EQ(noticeFor(20, 60), "textquest needs 80x25, this terminal is 60x20");
  EXPECT_TRUE(model.at(20, 1).reverse);

  // Grown: the notice goes, everything is drawn.
  resizeRenderer(renderer, 30, 100);
  ModelTerminal grown(30, 100);
  grown.apply(frame());
  EXPECT_EQ(difference(grown, true), "");
  EXPECT_EQ(grown.rowText(20), "row twenty" + std::string(90, ' '));
}

TEST_F(RendererTest, NoticeIsCutToANarrowTerminal) {
  start(10, 30);
  ModelTerminal model(10, 30);
  model.apply(renderer.frame);
  EXPECT_EQ(difference(model, true), "");
  EXPECT_EQ(model.rowText(10), "textquest needs 80x25, this te");
}

TEST_F(RendererTest, CursorOutsideASmallTerminalIsHidden) {
  start(24, 80);
  gotoxy(5, 25);
  EXPECT_EQ(frame(), "\x1b[?25l");
  gotoxy(5, 24 - 1);
  EXPECT_EQ(frame(), "\x1b[23;5H\x1b[?25h");
}

// --- Which glyphs: the locale's character set ---

TEST(RendererLocale, TheFirstSettingThatIsSetDecidesOnUtf8) {
  struct Case {
    const char *lcAll, *lcCtype, *lang;
    bool utf8;
  } cases[] = {
      {nullptr, nullptr, "en_US.UTF-8", true},  {"", "", "de_DE.utf8", true},
      {nullptr, "UTF-8", nullptr, true},        {"C.UTF-8", "C", "C", true},
      {"C", nullptr, "en_US.UTF-8", false},     {nullptr, "POSIX", "en_US.UTF-8", false},
      {nullptr, nullptr, "fr_FR.ISO-8859-1", false}, {nullptr, nullptr, nullptr, false},
      {"", "", "", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(localeIsUtf8(c.lcAll, c.lcCtype, c.lang), c.utf8)
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcCtype ? c.lcCtype : "-") << " " << (c.lang ? c.lang : "-");
}

// --- Replay: long runs of changes, applied to the model ---

// Changes such as the game makes: text in colours, the map's glyphs, clears,
// blocks of cells, the cursor running below the last row.
void randomChange(std::mt19937& rng) {
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  const int attributes[] = {7, 7, 7, 0x1E, 0x4F, 0x70, 0x0A, 0x107, 0x00};
  textattr(attributes[pick(9)]);
  switch (pick(8)) {
    case 0:
    case 1:
    case 2: {  // text, sometimes with any byte at all (line ends, tabs, backspaces included)
      gotoxy(1 + pick(80), 1 + pick(25));
      std::string text;
      for (int n = 1 + pick(12); n > 0; --n)
        text += pick(4) == 0 ? char(pick(256)) : "ab Xy0\x01\x02\xB1\xB2\xDB"[pick(11)];
      putText(text);
      break;
    }
    case 3: {  // a step of the party: four blanks and the glyph
      const int x = 2 + pick(78), y = 2 + pick(23);
      for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
        gotoxy(x + dx, y + dy);
        putText(" ");
      }
      gotoxy(x, y);
      putText("\x02");
      break;
    }
    case 4:
      if (pick(4) == 0) {
        textbackground(pick(8));
        textcolor(pick(16));
        clrscr();
      }
      break;
    case 5: {
      const int left = 1 + pick(70), top = 1 + pick(20);
      puttext(left, top, left + pick(10), top + pick(5), "a block of text\xB0\xB1");
      break;
    }
    case 6:
      gotoxy(1 + pick(80), 25);
      putText("\n");  // below the last row
      break;
    default:
      gotoxy(1 + pick(80), 1 + pick(25));
  }
}

void replay(unsigned seed, bool utf8) {
  resetScreen();
  std::mt19937 rng(seed);
  const std::pair<int, int> sizes[] = {{25, 80}, {24, 80}, {30, 100}, {20, 60}, {26, 81}, {25, 79}, {5, 20}, {1, 1}};
  Renderer renderer;
  startRenderer(renderer, 25, 80, utf8);
  ModelTerminal model(25, 80);
  model.scramble(rng);
  for (int step = 0; step < 400; ++step) {
    if (step % 97 == 50) {
      const auto [rows, columns] = sizes[rng() % std::size(sizes)];
      resizeRenderer(renderer, rows, columns);
      model = ModelTerminal(rows, columns);
      model.scramble(rng);
    } else if (step % 61 == 30) {
      invalidateRenderer(renderer);
      model.scramble(rng);
    }
    for (int n = 1 + int(rng() % 3); n > 0; --n) randomChange(rng);
    model.apply(renderFrame(renderer));
    const std::string problem = difference(model, utf8);
    ASSERT_EQ(problem, "") << "seed " << seed << ", step " << step;
    ASSERT_EQ(renderFrame(renderer), "") << "a second frame with nothing changed, step " << step;
  }
}

TEST(RendererReplay, ModelTerminalShowsTheVirtualScreenInUtf8) {
  for (unsigned seed : {1u, 2u, 3u, 4u}) replay(seed, true);
}

TEST(RendererReplay, ModelTerminalShowsTheVirtualScreenInAscii) {
  for (unsigned seed : {5u, 6u}) replay(seed, false);
}

// The model must catch what it exists to catch.
TEST(RendererReplay, ModelNoticesAWrongFrame) {
  resetScreen();
  gotoxy(3, 3);
  putText("x");
  ModelTerminal model(25, 80);
  model.apply("\x1b[3;3Hy\x1b[3;4H");
  EXPECT_NE(difference(model, true), "");
  ModelTerminal wrapped(25, 80);
  wrapped.apply("\x1b[1;80Hz\x1b[C");
  EXPECT_NE(difference(wrapped, true), "");
}

}  // namespace
