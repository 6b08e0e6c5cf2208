// The virtual console: the console operations and text output, read back as
// rows of text and as cells.
#include "console/screen.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using conio::cellAt;
using conio::rowText;

// An 80-column row: text from column 1, the rest blank.
std::string row(const std::string& text) { return text + std::string(80 - text.size(), ' '); }

// An 80-column row of fill with text placed from the given column.
std::string rowWith(char fill, int column, const std::string& text) {
  std::string line(80, fill);
  line.replace(static_cast<std::size_t>(column - 1), text.size(), text);
  return line;
}

std::vector<std::string> allRows() {
  std::vector<std::string> rows;
  for (int r = 1; r <= 25; ++r) rows.push_back(rowText(r));
  return rows;
}

void expectEveryCell(conio::Cell expected) {
  for (int r = 1; r <= 25; ++r) {
    for (int c = 1; c <= 80; ++c) {
      ASSERT_EQ(cellAt(c, r), expected) << "column " << c << ", row " << r;
    }
  }
}

class Screen : public ::testing::Test {
 protected:
  void SetUp() override { conio::resetScreen(); }
};

TEST_F(Screen, StartsBlankInAttribute7AtHome) {
  expectEveryCell({' ', 7});
  EXPECT_EQ(conio::wherex(), 1);
  EXPECT_EQ(conio::wherey(), 1);
  EXPECT_EQ(conio::textAttribute(), 7);
  EXPECT_EQ(conio::cursorSize(), 25);
  EXPECT_EQ(conio::BACKGROUND, 0);
  EXPECT_EQ(conio::FOREGROUND, 7);
}

TEST_F(Screen, ClrscrBlanksEveryCellAndHomesTheCursor) {
  conio::gotoxy(30, 12);
  conio::putText("something");
  conio::clrscr();
  expectEveryCell({' ', 7});
  EXPECT_EQ(conio::wherex(), 1);
  EXPECT_EQ(conio::wherey(), 1);
}

TEST_F(Screen, GotoxyAcceptsOnlyTheScreen) {
  struct Case {
    int column, row;
    int x, y;  // where the cursor is afterwards, starting from (5, 6)
  };
  const Case cases[] = {
      {80, 25, 80, 25}, {1, 1, 1, 1},       {40, 13, 40, 13}, {0, 10, 5, 6},
      {81, 10, 5, 6},   {10, 0, 5, 6},      {10, 26, 5, 6},   {-1, -1, 5, 6},
      {1, 26, 5, 6},    {INT_MIN, 1, 5, 6}, {65537, 1, 5, 6}, {1, INT_MAX, 5, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "gotoxy(" << c.column << ", " << c.row << ")");
    conio::gotoxy(5, 6);
    conio::gotoxy(c.column, c.row);
    EXPECT_EQ(conio::wherex(), c.x);
    EXPECT_EQ(conio::wherey(), c.y);
  }
}

TEST_F(Screen, RefusedGotoxyLeavesTextAtThePreviousCursor) {
  conio::gotoxy(3, 2);
  conio::gotoxy(0, 7);
  conio::putText("ab");
  EXPECT_EQ(rowText(2), row("  ab"));
}

TEST_F(Screen, StoredColoursComposeTheAttribute) {
  conio::textbackground(1);
  conio::textcolor(14);
  EXPECT_EQ(conio::textAttribute(), 30);
  conio::clrscr();
  expectEveryCell({' ', 30});
  conio::putText("x");
  EXPECT_EQ(cellAt(1, 1), (conio::Cell{'x', 30}));
}

TEST_F(Screen, TextattrLeavesTheStoredColoursAlone) {
  conio::textattr(31);
  EXPECT_EQ(conio::textAttribute(), 31);
  conio::textcolor(4);
  EXPECT_EQ(conio::textAttribute(), 4);
  conio::textattr(31);
  conio::clrscr();  // paints the stored colours, not the attribute of later text
  expectEveryCell({' ', 4});
  EXPECT_EQ(conio::textAttribute(), 31);
}

TEST_F(Screen, AttributesAreTakenModulo65536WithoutMasking) {
  struct Case {
    int background, foreground;  // -1: leave the stored colour alone
    int attr;                    // a textattr argument instead, or -1
    int expected;
  };
  const Case cases[] = {
      {-1, 300, -1, 300},  // a colour above 15 reaches the higher bits
      {4097, -1, -1, 4097 * 16 % 65536 + 7},
      {0, 65535, -1, 65535},
      {1, 65535, -1, (16 + 65535) % 65536},
      {-1, -1, 65536 + 31, 31},
      {-1, -1, -1 - 65536, 65535},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.background << " " << c.foreground << " " << c.attr);
    conio::resetScreen();
    if (c.background != -1) conio::textbackground(c.background);
    if (c.foreground != -1) conio::textcolor(c.foreground);
    if (c.attr != -1) conio::textattr(c.attr);
    EXPECT_EQ(conio::textAttribute(), c.expected);
  }
}

TEST_F(Screen, PuttextFillsTheRectangleAndEmptiesTheRest) {
  conio::textbackground(1);
  conio::clrscr();  // every cell in attribute 23, so attribute 7 shows
  conio::gotoxy(10, 10);
  conio::puttext(1, 1, 3, 2, "PQRS");
  EXPECT_EQ(rowText(1), row("PQR"));
  EXPECT_EQ(rowText(2), row("S\0\0"s));
  EXPECT_EQ(cellAt(1, 1), (conio::Cell{'P', 7}));
  EXPECT_EQ(cellAt(3, 1), (conio::Cell{'R', 7}));
  EXPECT_EQ(cellAt(1, 2), (conio::Cell{'S', 7}));
  EXPECT_EQ(cellAt(2, 2), (conio::Cell{0, 0}));
  EXPECT_EQ(cellAt(3, 2), (conio::Cell{0, 0}));
  EXPECT_EQ(cellAt(4, 1), (conio::Cell{' ', 23}));
  EXPECT_EQ(conio::wherex(), 10);
  EXPECT_EQ(conio::wherey(), 10);
  EXPECT_EQ(conio::textAttribute(), 23);
}

TEST_F(Screen, PuttextWritesNothingBeyondTheRectangle) {
  conio::puttext(5, 3, 6, 3, "abcdef");
  EXPECT_EQ(rowText(3), row("    ab"));
  EXPECT_EQ(rowText(4), row(""));
}

TEST_F(Screen, GettextCopiesTheRectangleRowByRow) {
  conio::puttext(1, 1, 3, 2, "PQRSTU");
  char text[16];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(conio::_conio_gettext(1, 1, 3, 2, text), 1);
  EXPECT_EQ(std::string(text, 7), "PQRSTU\0"s);
  EXPECT_EQ(text[7], 'x');
}

TEST_F(Screen, EmptyRectanglesCopyNothing) {
  conio::putText("abc");
  char text[8];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(conio::_conio_gettext(3, 1, 2, 1, text), 1);
  EXPECT_EQ(text[0], '\0');
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(conio::_conio_gettext(1, 2, 3, 1, text), 1);
  EXPECT_EQ(text[0], '\0');
  conio::puttext(3, 1, 2, 1, "zz");
  conio::puttext(1, 2, 3, 1, "zz");
  EXPECT_EQ(rowText(1), row("abc"));
}

TEST_F(Screen, RectanglesReachingBeyondTheScreenAreClipped) {
  // The string is laid over the whole rectangle; only its cells on the screen change.
  conio::puttext(78, 24, 81, 26, "ABCDEFGHIJKL");
  EXPECT_EQ(rowText(24), rowWith(' ', 78, "ABC"));
  EXPECT_EQ(rowText(25), rowWith(' ', 78, "EFG"));
  conio::puttext(0, 1, 3, 1, "WXYZ");
  EXPECT_EQ(rowText(1), row("XYZ"));
  conio::puttext(-5, -5, 200, 200, "");
  expectEveryCell({0, 0});
  conio::puttext(1, 1, 80, 1, "top");
  conio::puttext(INT_MIN, 2, INT_MAX, INT_MAX, "far off");
  EXPECT_EQ(rowText(1), "top"s + std::string(77, '\0'));
  EXPECT_EQ(rowText(2), std::string(80, '\0'));

  // Cells of the rectangle outside the screen read as blanks.
  conio::resetScreen();
  conio::puttext(1, 1, 80, 25, std::string(2000, 'o').c_str());
  char text[32];
  EXPECT_EQ(conio::_conio_gettext(79, 25, 82, 26, text), 1);
  EXPECT_EQ(std::string(text), "oo      ");
  EXPECT_EQ(conio::_conio_gettext(0, 0, 1, 1, text), 1);
  EXPECT_EQ(std::string(text), "   o");
}

TEST_F(Screen, ClreolBlanksToTheEndOfTheRowKeepingAttributes) {
  conio::textattr(30);
  conio::gotoxy(1, 3);
  conio::putText(std::string(80, 'x'));
  conio::gotoxy(75, 3);
  conio::clreol();
  EXPECT_EQ(rowText(3), rowWith('x', 75, "      "));
  for (int c = 75; c <= 80; ++c) EXPECT_EQ(cellAt(c, 3).attr, 30);
  EXPECT_EQ(rowText(4), row(""));
  EXPECT_EQ(conio::wherex(), 75);
  EXPECT_EQ(conio::wherey(), 3);
}

TEST_F(Screen, DellineBlanksTheRestOfTheRowAndMovesNoLine) {
  conio::textattr(30);
  for (int r = 2; r <= 4; ++r) {
    conio::gotoxy(1, r);
    conio::putText(std::string(80, static_cast<char>('0' + r)));
  }
  conio::gotoxy(10, 3);
  conio::delline();
  EXPECT_EQ(rowText(2), std::string(80, '2'));
  EXPECT_EQ(rowText(3), rowWith('3', 10, std::string(71, ' ')));
  EXPECT_EQ(rowText(4), std::string(80, '4'));
  EXPECT_EQ(cellAt(80, 3).attr, 30);
  EXPECT_EQ(conio::wherex(), 10);
  EXPECT_EQ(conio::wherey(), 3);
}

TEST_F(Screen, TabsBlankTheCellsTheyPass) {
  struct Case {
    int column;
    std::string row;  // row 1 afterwards, from a row of x
    int x, y;
  };
  const Case cases[] = {
      {8, rowWith('x', 8, " "), 9, 1},
      {9, rowWith('x', 9, "        "), 17, 1},
      {1, rowWith('x', 1, "        "), 9, 1},
      {78, rowWith('x', 78, "   "), 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tab at column " << c.column);
    conio::resetScreen();
    conio::putText(std::string(80, 'x'));
    conio::textattr(30);
    conio::gotoxy(c.column, 1);
    conio::putText("\t");
    EXPECT_EQ(rowText(1), c.row);
    EXPECT_EQ(rowText(2), row(""));
    EXPECT_EQ(cellAt(c.column, 1), (conio::Cell{' ', 30}));
    EXPECT_EQ(conio::wherex(), c.x);
    EXPECT_EQ(conio::wherey(), c.y);
  }
}

TEST_F(Screen, ControlBytesMoveTheCursorOthersAreStored) {
  struct Case {
    std::string bytes;
    std::string row1, row2;
    int x, y;
  };
  const Case cases[] = {
      {"ab\ncd", row("ab"), row("cd"), 3, 2},
      {"abc\rX", row("Xbc"), row(""), 2, 1},
      {"ab\b\b\bX", row("Xb"), row(""), 2, 1},
      {"a\ab", row("ab"), row(""), 3, 1},
      {"a\0\033\001b"s, row("a\0\033\001b"s), row(""), 6, 1},
      {"\377\260", row("\377\260"), row(""), 3, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    conio::resetScreen();
    conio::putText(c.bytes);
    EXPECT_EQ(rowText(1), c.row1);
    EXPECT_EQ(rowText(2), c.row2);
    EXPECT_EQ(conio::wherex(), c.x);
    EXPECT_EQ(conio::wherey(), c.y);
  }
}

TEST_F(Screen, TextWrapsAtColumn80AtOnce) {
  conio::gotoxy(80, 1);
  conio::putText("z");
  EXPECT_EQ(conio::wherex(), 1);
  EXPECT_EQ(conio::wherey(), 2);
  conio::gotoxy(79, 3);
  conio::putText("abc");
  EXPECT_EQ(rowText(3), rowWith(' ', 79, "ab"));
  EXPECT_EQ(rowText(4), row("c"));
  EXPECT_EQ(conio::wherex(), 2);
  EXPECT_EQ(conio::wherey(), 4);
}

TEST_F(Screen, NothingScrollsBelowRow25) {
  conio::gotoxy(1, 25);
  conio::putText(std::string(80, 'b'));
  EXPECT_EQ(conio::wherex(), 1);
  EXPECT_EQ(conio::wherey(), 26);
  const auto before = allRows();
  conio::putText("dropped\ttoo\n\nstill");
  EXPECT_EQ(allRows(), before);
  EXPECT_EQ(conio::wherey(), 26);
  conio::putText("ab\r");
  EXPECT_EQ(conio::wherex(), 1);
  EXPECT_EQ(conio::wherey(), 26);
  conio::clreol();
  conio::delline();
  EXPECT_EQ(allRows(), before);

  conio::gotoxy(1, 26);  // refused: still below
  conio::putText("x");
  EXPECT_EQ(allRows(), before);
  conio::gotoxy(1, 1);
  conio::putText("back");
  EXPECT_EQ(rowText(1), row("back"));
}

TEST_F(Screen, LineFeedOnRow25GoesBelow) {
  conio::gotoxy(5, 25);
  conio::putText("\n");
  EXPECT_EQ(conio::wherex(), 1);
  EXPECT_EQ(conio::wherey(), 26);
  conio::putText("\n");
  EXPECT_EQ(conio::wherey(), 26);
}

TEST_F(Screen, CursorSizeAcceptsOneToHundred) {
  const struct {
    int size, expected;  // starting from 25
  } cases[] = {{1, 1}, {100, 100}, {50, 50}, {0, 25}, {101, 25}, {-5, 25}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    conio::resetScreen();
    conio::_setcursortype(c.size);
    EXPECT_EQ(conio::cursorSize(), c.expected);
  }
}

TEST_F(Screen, CprintfWritesWhatItFormats) {
  EXPECT_EQ(conio::cprintf("%s %d/%d", "HP", 7, 12), 7);
  EXPECT_EQ(rowText(1), row("HP 7/12"));
  conio::gotoxy(1, 2);
  EXPECT_EQ(conio::cprintf("%c", 0), 1);
  EXPECT_EQ(cellAt(1, 2), (conio::Cell{0, 7}));
  EXPECT_EQ(conio::wherex(), 2);
}

TEST_F(Screen, CprintfTakesVeryLongStrings) {
  std::string name(1 << 20, ' ');
  for (std::size_t i = 0; i < name.size(); ++i) name[i] = static_cast<char>('A' + i % 26);
  EXPECT_EQ(conio::cprintf("%s", name.c_str()), 1 << 20);
  for (int r = 1; r <= 25; ++r) EXPECT_EQ(rowText(r), name.substr((r - 1) * 80u, 80));
  EXPECT_EQ(conio::wherey(), 26);
}

TEST_F(Screen, ConoutWritesAtTheCursor) {
  conio::gotoxy(3, 4);
  conio::conout << "Rune " << 42 << std::endl << "x\ty" << std::flush;
  conio::conout << 'z';
  EXPECT_TRUE(conio::conout.good());
  EXPECT_EQ(rowText(4), rowWith(' ', 3, "Rune 42"));
  EXPECT_EQ(rowText(5), row("x       yz"));
  EXPECT_EQ(conio::wherex(), 11);
  EXPECT_EQ(conio::wherey(), 5);
}

TEST_F(Screen, VersionCountsChanges) {
  auto version = conio::screenVersion();
  const auto changes = [&version] {
    const auto now = conio::screenVersion();
    const bool changed = now != version;
    version = now;
    return changed;
  };
  conio::putText("a");
  EXPECT_TRUE(changes());
  conio::gotoxy(5, 5);
  EXPECT_TRUE(changes());
  conio::clrscr();
  EXPECT_TRUE(changes());
  conio::puttext(1, 1, 1, 1, "q");
  EXPECT_TRUE(changes());
  conio::clreol();
  EXPECT_TRUE(changes());
  conio::conout << 'c';
  EXPECT_TRUE(changes());
  conio::cprintf("%d", 1);
  EXPECT_TRUE(changes());
  conio::_setcursortype(10);
  EXPECT_TRUE(changes());

  conio::gotoxy(0, 0);
  conio::wherex();
  rowText(1);
  char text[4];
  conio::_conio_gettext(1, 1, 3, 1, text);
  EXPECT_FALSE(changes());
}

TEST_F(Screen, ResetScreenRestoresTheStart) {
  conio::textbackground(2);
  conio::textcolor(5);
  conio::_setcursortype(80);
  conio::clrscr();
  conio::gotoxy(9, 9);
  conio::putText("hello");
  conio::resetScreen();
  expectEveryCell({' ', 7});
  EXPECT_EQ(conio::wherex(), 1);
  EXPECT_EQ(conio::wherey(), 1);
  EXPECT_EQ(conio::textAttribute(), 7);
  EXPECT_EQ(conio::BACKGROUND, 0);
  EXPECT_EQ(conio::FOREGROUND, 7);
  EXPECT_EQ(conio::cursorSize(), 25);
}

}  // namespace
