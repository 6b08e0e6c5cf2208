// The keyboard queue in front of the input: what _getch and _kbhit give for
// what the terminal sends, and how the end of input ends the game.
#include <gtest/gtest.h>

#include "console/keyboard.h"
#include "game_fixture.h"

using namespace testing_support;

namespace {

class KeyboardTest : public GameTest {
 protected:
  // Every key byte until the input ends.
  std::vector<int> readAll() {
    std::vector<int> got;
    runUntilInputEnds([&] {
      for (;;) got.push_back(conio::_getch());
    });
    return got;
  }
};

TEST_F(KeyboardTest, KeysAsTheGameReadsThem) {
  struct Case {
    std::vector<std::string> chunks;
    std::vector<int> expected;
  } const cases[] = {
      {{"a", "\r", " "}, {'a', 13, ' '}},
      {{"\x1b[C"}, {224, 77}},
      {{"\x1b", "[", "A"}, {224, 72}},          // a sequence split over reads
      {{"\x1b", silence, "q"}, {27, 'q'}},        // a lone Escape
      {{"\x1b"}, {27}},                         // Escape, then the input ends
      {{"\x1b["}, {}},                          // cut short by the end of input
      {{"\x1b\x1b[B"}, {224, 80}},
      {{"\xe0M"}, {224, 77}},                   // raw bytes pass through
      {{"\x1b[99;99;99;99Zx"}, {'x'}},          // unknown sequences are dropped whole
  };
  for (const Case& c : cases) {
    SetUp();
    keys(c.chunks);
    EXPECT_EQ(readAll(), c.expected) << testing::PrintToString(c.chunks);
  }
}

TEST_F(KeyboardTest, EndOfInputEndsTheGameWithStatusOneEveryTime) {
  keys({"a"});
  EXPECT_EQ(conio::_getch(), 'a');
  for (int i = 0; i < 2; ++i) {
    try {
      conio::_getch();
      FAIL() << "a read past the end of input returned";
    } catch (const conio::GameInterrupted& end) {
      EXPECT_EQ(end.status, 1);
      EXPECT_STREQ(end.message, "textquest: end of input");
    }
  }
}

TEST_F(KeyboardTest, KbhitTellsWithoutConsuming) {
  EXPECT_EQ(conio::_kbhit(), 0);
  keys({"ab"});
  EXPECT_EQ(conio::_kbhit(), 1);
  EXPECT_EQ(conio::_kbhit(), 1);
  EXPECT_EQ(conio::_getch(), 'a');
  EXPECT_EQ(conio::_kbhit(), 1);  // the b is queued
  EXPECT_EQ(conio::_getch(), 'b');
  EXPECT_EQ(conio::_kbhit(), 0);
}

TEST_F(KeyboardTest, KbhitBeforeTheNameLeavesTheLineToBeRead) {
  keys({"Ann\n", "q"});
  EXPECT_EQ(conio::_kbhit(), 1);
  EXPECT_EQ(conio::readWord(), "Ann");
  EXPECT_EQ(conio::_getch(), 'q');
}

}  // namespace
