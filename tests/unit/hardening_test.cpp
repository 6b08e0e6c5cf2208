// Bad input from the player or the pipe: the game ends cleanly at the end of
// input wherever it waits, keeps odd names as typed, ignores escape sequences
// it does not know, and survives a very long walk off the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/keyboard.h"
#include "console/screen.h"
#include "explore/loop.h"
#include "game/state.h"
#include "game_fixture.h"

using namespace testing_support;

namespace {

// Villagers at (20, 12), (30, 20), (70, 22) and (5, 23): out of every path below.
const std::vector<int> villagerDraws = {20, 12, 30, 20, 70, 22, 5, 23};

// The name, then seven steps right: the last one crosses the exit into the field.
std::vector<std::string> walkToTheField() {
  std::vector<std::string> input = {"Ann\n"};
  for (int i = 0; i < 7; ++i) input.push_back(rightKey);
  return input;
}

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<int> joined(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class HardeningTest : public GameTest {
 protected:
  // How the game ended: its exit status and the message for standard error.
  struct Ending {
    int status = 0;
    std::string message;
  };

  Ending play() {
    try {
      return {gameMain(), ""};
    } catch (const conio::GameInterrupted& end) {
      return {end.status, end.message ? end.message : ""};
    }
  }
};

TEST_F(HardeningTest, EndOfInputEndsTheGameAtOnceWhereverItWaits) {
  struct Case {
    const char* where;
    std::vector<std::string> input;
    std::vector<int> draws;  // after the villagers'
    std::string name;        // the hero's name as stored
    int row;                 // a row of the last screen shown...
    std::string shown;       // ...begins with this
  };
  const Case cases[] = {
      {"name prompt, nothing typed", {}, {}, "", 1, "Xpos: 3 "},
      {"name prompt, blanks and empty lines only", {"  \n\n\t \n"}, {}, "", 1, "Xpos: 3 "},
      {"name prompt, the line not finished", {"Ann"}, {}, "Ann", 1, "Xpos: 3 "},
      {"exploration loop", {"Ann\n", rightKey}, {}, "Ann", 1, "Xpos: 4 "},
      {"key wait in a battle", joined(walkToTheField(), {"x", "a"}), {10, 0}, "Ann", 9,
       "Wounded Driniad Soldier recieves 1 damage!"},
      {"battle menu", joined(walkToTheField(), {"x"}), {10, 0}, "Ann", 3, "Ann's turn!"},
      {"dialogue", {"Ann\n", leftKey, " "}, {}, "Ann", 6, "Villager: What the hell do you want? "},
      {"status screen", {"Ann\n", "\r"}, {}, "Ann", 11, "    Press any key to return to game..."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    SetUp();
    keys(c.input);
    // Villager 0 stands at (1, 10), next to the party after one step left.
    draws(joined({1, 10, 30, 20, 70, 22, 5, 23}, c.draws));
    const Ending end = play();
    EXPECT_EQ(end.status, 1);
    EXPECT_EQ(end.message, "textquest: end of input");
    EXPECT_EQ(member[0].name, c.name);
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back().row(c.row).substr(0, c.shown.size()), c.shown);
    EXPECT_EQ(drawsLeft(), 0u);
  }
}

TEST_F(HardeningTest, AnEscapeSequenceCutShortByTheEndOfInput) {
  struct Case {
    std::vector<std::string> input;
    int status;
    size_t readsMade;
    int xpos;
  };
  const Case cases[] = {
      {{"Ann\n", "\x1b["}, 1, 1, 3},
      {{"Ann\n", "\x1bO"}, 1, 1, 3},
      {{"Ann\n", "\x1b[1;5"}, 1, 1, 3},
      {{"Ann\n", "\x1b[", "1"}, 1, 1, 3},  // cut after a slow link's second read
      {{"Ann\n", rightKey + "\x1b[3"}, 1, 3, 4},
      {{"Ann\n", "\x1b[M !"}, 1, 1, 3},  // a mouse report cut off
      {{"Ann\n", "\x1b"}, 0, 1, 3},     // a lone Escape at the very end still quits
  };
  for (const Case& c : cases) {
    const std::string& tail = c.input.back();
    SCOPED_TRACE(testing::PrintToString(tail));
    SetUp();
    draws(villagerDraws);
    keys(c.input);
    const Ending end = play();
    EXPECT_EQ(end.status, c.status);
    EXPECT_EQ(end.message, c.status == 1 ? "textquest: end of input" : "");
    ASSERT_EQ(reads.size(), c.readsMade);
    EXPECT_EQ(reads.back().row(1), pad("Xpos: " + std::to_string(c.xpos)));
  }
}

TEST_F(HardeningTest, AnEscapeSequenceCutShortInTheNameLineIsPartOfTheName) {
  draws(villagerDraws);
  keys({"Ann\x1b["});
  const Ending end = play();
  EXPECT_EQ(end.status, 1);
  EXPECT_EQ(member[0].name, "Ann\x1b[");
  EXPECT_EQ(reads.size(), 1u);
}

TEST_F(HardeningTest, UnknownAndOverLongSequencesNeitherMoveThePartyNorSwallowTheNextKey) {
  // One step right, then quit: every screen of this is what the player must
  // see with any of the sequences below typed before the step.
  draws(villagerDraws);
  keys({"Ann\n", "M", "q"});
  ASSERT_EQ(play().status, 0);
  const std::vector<Shot> expected = reads;
  ASSERT_EQ(expected.size(), 2u);
  ASSERT_EQ(expected[1].row(1), pad("Xpos: 4"));

  const std::string sequences[] = {
      "\x1b[Z",                                  // Shift Tab
      "\x1b[99;99;99;99Z",                       // unknown, with parameters
      "\x1b[16~",                                // a tilde number no key has
      "\x1b[200~",                               // bracketed paste
      "\x1bO2~",                                 // a tilde after SS3
      "\x1b[?1;2c",                              // a terminal's report
      "\x1b[<0;10;5M",                           // a mouse report, SGR
      "\x1b[M !!",                               // a mouse report, X10
      "\x1b[[Z",                                 // the Linux console's prefix, unknown
      "\x1b[" + std::string(100, '1') + "A",     // an arrow with an over-long parameter
      "\x1b[" + std::string(5000, ';') + "~",    // a sequence thousands of bytes long
      "\x1b[" + std::string(100000, '7') + "C",  // one far longer still
  };
  for (const std::string& sequence : sequences) {
    const std::string shown = sequence.size() > 24 ? sequence.substr(0, 24) + "..." : sequence;
    for (bool oneRead : {true, false}) {
      SCOPED_TRACE(testing::PrintToString(shown) + (oneRead ? " in the step's read" : " in a read alone"));
      SetUp();
      draws(villagerDraws);
      keys(oneRead ? std::vector<std::string>{"Ann\n", sequence + "M", "q"}
                   : std::vector<std::string>{"Ann\n", sequence, "M", "q"});
      EXPECT_EQ(play().status, 0);
      ASSERT_EQ(reads.size(), expected.size());
      for (size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i].rows, expected[i].rows) << "read " << i;
        EXPECT_EQ(reads[i].x, expected[i].x) << "read " << i;
        EXPECT_EQ(reads[i].y, expected[i].y) << "read " << i;
      }
    }
  }
}

TEST_F(HardeningTest, ANameOfControlBytesIsKeptAsTypedAndItsBytesAreShownInCells) {
  struct Case {
    const char* what;
    std::string typed;
    std::string shown;  // the bytes in the name's cells on the status screen
  };
  const Case cases[] = {
      // Escape sequences that would clear, retitle or reset a terminal, and
      // control bytes: each byte lands in a cell of its own. The bell, as
      // everywhere on the console, shows nothing.
      {"escape sequences", "\x1b[2J\x1b]0;x\x07\x01\x7f\x1b" "c", "\x1b[2J\x1b]0;x\x01\x7f\x1b" "c"},
      {"a NUL byte does not end the name", std::string("a\0b", 3), std::string("a\0b", 3)},
      {"a backspace steps back over the letter before it", "ab\bc", "ac"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The same screen with a plain name as wide as the bytes shown.
    SetUp();
    draws(villagerDraws);
    keys({std::string(c.shown.size(), 'n') + "\n", "\r", "k", "q"});
    ASSERT_EQ(play().status, 0);
    ASSERT_EQ(reads.size(), 3u);
    Shot expected = reads[1];
    expected.rows[0].replace(8, c.shown.size(), c.shown);

    SetUp();
    draws(villagerDraws);
    keys({c.typed + "\n", "\r", "k", "q"});
    ASSERT_EQ(play().status, 0);
    EXPECT_EQ(member[0].name, c.typed);
    ASSERT_EQ(reads.size(), 3u);
    EXPECT_EQ(reads[1].row(1).substr(0, 8), "  NAME: ");
    EXPECT_EQ(reads[1].rows, expected.rows);
    EXPECT_EQ(reads[1].x, expected.x);
    EXPECT_EQ(reads[1].y, expected.y);
  }
}

TEST_F(HardeningTest, AHundredThousandStepsRightTakeThePartyFarOffTheScreen) {
  constexpr int steps = 100000;
  // Every key read is checked as it comes, and only the last screen is kept:
  // a copy of the screen at each of 200,000 reads would cost far too much.
  size_t readsMade = 0;
  std::vector<std::string> cursorFaults;
  Shot last;
  conio::setKeyReadObserver([&] {
    ++readsMade;
    const int x = conio::wherex(), y = conio::wherey();
    if ((x < 1 || x > 80 || y < 1 || y > 26) && cursorFaults.size() < 5) {
      cursorFaults.push_back(std::to_string(x) + "," + std::to_string(y));
    }
    if (readsMade == 2 * steps + 1) last = screenNow();  // the read that takes the q
  });
  std::vector<std::string> input = {"Ann\n"};
  input.insert(input.end(), steps, rightKey);
  input.push_back("q");
  keys(input);
  draws(villagerDraws);
  // Seven steps lead through the exit; every pass after that, in the field,
  // draws an encounter roll: 0 starts no battle.
  draws(std::vector<int>(2 * steps + 1 - 14, 0));

  EXPECT_EQ(play().status, 0);
  EXPECT_EQ(readsMade, 2u * steps + 1);
  EXPECT_EQ(drawsLeft(), 0u);
  EXPECT_TRUE(cursorFaults.empty()) << testing::PrintToString(cursorFaults);

  // The exit put the party one column further on. Past column 80 gotoxy
  // refuses every move, so the blanks and the party's glyph are written where
  // the cursor stands: the first step past it writes them on row 11, where the
  // blank in column 80 left the cursor, and every later step on row 6, after
  // the read-out.
  Canvas field;
  field.put(1, 1, "Xpos: " + std::to_string(3 + steps + 1));
  field.put(1, 2, "Ypos: 10");
  field.put(1, 3, "personThere = false");
  field.put(1, 4, "insideVillage = false");
  field.put(1, 5, "Area: 2");
  field.put(5, 6, "\x02");
  field.put(10, 10, "\xB2");
  field.put(4, 11, "\x02");
  ASSERT_EQ(last.rows.size(), 25u);
  for (int r = 1; r <= 25; ++r) EXPECT_EQ(last.row(r), field.rows[r - 1]) << "row " << r;
  EXPECT_EQ(last.x, 1);
  EXPECT_EQ(last.y, 6);
}

}  // namespace
