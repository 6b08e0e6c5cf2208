// The party status screen as the player sees it: whole rows, each case given as
// the rows in which it differs from the screen at the start of the game.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "console/screen.h"
#include "game/state.h"
#include "game_fixture.h"
#include "screens/status.h"

using namespace testing_support;

namespace {

// A whole row: each piece of text at its column, blanks elsewhere.
std::string line(const std::vector<std::pair<int, std::string>>& pieces) {
  std::string text(80, ' ');
  for (const auto& [column, piece] : pieces) text.replace(static_cast<size_t>(column - 1), piece.size(), piece);
  return text;
}

// Rows 1 to 12 right after start-up, with the hero named Ann.
std::map<int, std::string> startOfGame() {
  return {
      {1, line({{1, "  NAME: Ann (lv.1)"}, {22, " NAME: Shyde (lv.1)"}, {41, " NAME: Rune (lv.1)"}, {60, " NAME: Kazik (lv.1)"}})},
      {2, line({{1, " CLASS: Hero"}, {22, "CLASS: Archer"}, {41, "CLASS: Knight"}, {60, "CLASS: Mage"}})},
      {3, line({{1, "    HP: 5 / 5"}, {22, "   HP: 4 / 4"}, {41, "   HP: 3 / 3"}, {60, "   HP: 2 / 2"}})},
      {4, line({{1, "   ATK: 4"}, {22, "  ATK: 5"}, {41, "  ATK: 4"}, {60, "   MP: 4 / 4"}})},
      {5, line({{1, "   DEF: 3"}, {22, "  DEF: 2"}, {41, "  DEF: 4"}, {60, "  ATK: 1"}})},
      {6, line({{1, "   EXP: 25"}, {22, "  EXP: 25"}, {41, "  EXP: 25"}, {60, "  DEF: 2"}})},
      {7, line({{1, " Kills: 0"}, {22, "Kills: 0"}, {41, "Kills: 0"}, {60, "  EXP: 25"}})},
      {8, line({{1, "Status: Alive"}, {21, "Status: Alive"}, {40, "Status: Alive"}, {60, "Kills: 0"}})},
      {9, line({{59, "Status: Alive"}})},
      {10, line({{60, "Magic: Flame"}})},
      {11, line({{5, "Press any key to return to game..."}})},
      {12, line({})},
  };
}

struct StatusCase {
  const char* what;                    // the test's name
  const char* hero;                    // the hero's name
  void (*setup)();                     // changes to the party after start-up
  std::map<int, std::string> changed;  // rows that differ from startOfGame()
};

std::vector<StatusCase> statusCases() {
  return {
      {"StartOfGame", "Ann", [] {}, {}},
      {"DeadArcher", "Ann",
       [] {
         member[1].hp = 0;
         member[1].alive = 0;
       },
       {{3, line({{1, "    HP: 5 / 5"}, {22, "   HP: 0 / 4"}, {41, "   HP: 3 / 3"}, {60, "   HP: 2 / 2"}})},
        {8, line({{1, "Status: Alive"}, {21, "Status: Dead"}, {40, "Status: Alive"}, {60, "Kills: 0"}})}}},
      // A dead member's HP still shows; the hero's status comes from the cursor.
      {"DeadHeroAndMage", "Ann",
       [] {
         member[0].hp = 0;
         member[0].alive = 0;
         member[3].hp = 0;
         member[3].alive = 0;
       },
       {{3, line({{1, "    HP: 0 / 5"}, {22, "   HP: 4 / 4"}, {41, "   HP: 3 / 3"}, {60, "   HP: 0 / 2"}})},
        {8, line({{1, "Status: Dead"}, {21, "Status: Alive"}, {40, "Status: Alive"}, {60, "Kills: 0"}})},
        {9, line({{59, "Status: Dead"}})}}},
      {"BlizzardWithoutFlame", "Ann",
       [] {
         kazik.knowsFlame = false;
         kazik.knowsBlizzard = true;
       },
       {{10, line({{60, "Magic:"}})},
        {11, line({{5, "Press any key to return to game..."}, {67, "Blizzard"}})}}},
      // With a one-digit level the name line of a hero named with seven letters
      // or more reaches column 22, where the archer's block overwrites it.
      {"LongHeroNameRunsUnderTheSecondBlock", "Bartholomew", [] {},
       {{1, line({{1, "  NAME: Bartholomew ("}, {22, " NAME: Shyde (lv.1)"}, {41, " NAME: Rune (lv.1)"},
                  {60, " NAME: Kazik (lv.1)"}})}}},
      {"SevenLetterHeroNameLosesItsParenthesis", "Georgia", [] {},
       {{1, line({{1, "  NAME: Georgia (lv.1"}, {22, " NAME: Shyde (lv.1)"}, {41, " NAME: Rune (lv.1)"},
                  {60, " NAME: Kazik (lv.1)"}})}}},
      // EXP shows what the new level still needs, not a running total.
      {"AfterLevelUps", "Ann",
       [] {
         stats& hero = member[0];
         hero.level = 2; hero.maxHp = 6; hero.hp = 6; hero.atk = 5; hero.def = 4;
         hero.exp = 31; hero.levelExp = 31; hero.kills = 3;
         stats& knight = member[2];
         knight.level = 10; knight.maxHp = 8; knight.hp = 2; knight.atk = 9; knight.def = 14;
         knight.exp = 187; knight.levelExp = 187; knight.kills = 12;
         stats& mage = member[3];
         mage.level = 30; mage.maxHp = 17; mage.hp = 17; mage.atk = 16; mage.def = 17;
         mage.exp = 1417; mage.levelExp = 1417; mage.kills = 40;
         kazik.maxMp = 33; kazik.mp = 0;
         kazik.knowsBlizzard = true; kazik.knowsReaper = true;
       },
       {{1, line({{1, "  NAME: Ann (lv.2)"}, {22, " NAME: Shyde (lv.1)"}, {41, " NAME: Rune (lv.10)"},
                  {60, " NAME: Kazik (lv.30)"}})},
        {3, line({{1, "    HP: 6 / 6"}, {22, "   HP: 4 / 4"}, {41, "   HP: 2 / 8"}, {60, "   HP: 17 / 17"}})},
        {4, line({{1, "   ATK: 5"}, {22, "  ATK: 5"}, {41, "  ATK: 9"}, {60, "   MP: 0 / 33"}})},
        {5, line({{1, "   DEF: 4"}, {22, "  DEF: 2"}, {41, "  DEF: 14"}, {60, "  ATK: 16"}})},
        {6, line({{1, "   EXP: 31"}, {22, "  EXP: 25"}, {41, "  EXP: 187"}, {60, "  DEF: 17"}})},
        {7, line({{1, " Kills: 3"}, {22, "Kills: 0"}, {41, "Kills: 12"}, {60, "  EXP: 1417"}})},
        {8, line({{1, "Status: Alive"}, {21, "Status: Alive"}, {40, "Status: Alive"}, {60, "Kills: 40"}})},
        {11, line({{5, "Press any key to return to game..."}, {67, "Blizzard"}})},
        {12, line({{67, "Reaper"}})}}},
      // An alive of neither 1 nor 0 gets no status line at all.
      {"AliveTwoHasNoStatusLine", "Ann",
       [] {
         member[0].alive = 2;
         member[2].alive = 2;
         member[3].alive = 2;
       },
       {{8, line({{21, "Status: Alive"}, {60, "Kills: 0"}})}, {9, line({})}}},
  };
}

// Failures name the case rather than dumping its bytes.
void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.what; }

class StatusScreen : public GameTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusScreen, ShowsEveryBlockAndThePrompt) {
  const StatusCase& c = GetParam();
  buildParty(c.hero);
  c.setup();
  std::map<int, std::string> expected = startOfGame();
  for (const auto& [row, text] : c.changed) expected[row] = text;

  EXPECT_TRUE(runUntilInputEnds(viewStats));

  EXPECT_TRUE(reads.empty()) << "the caller waits for the key, not viewStats";
  for (int r = 1; r <= 25; ++r) {
    std::string want = expected.count(r) ? expected[r] : pad("");
    EXPECT_EQ(row(r), want) << "row " << r;
  }
}

INSTANTIATE_TEST_SUITE_P(Party, StatusScreen, ::testing::ValuesIn(statusCases()),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
