// Building the party and the spell book.
#include <gtest/gtest.h>

#include "console/keyboard.h"
#include "game/party.h"
#include "game/state.h"
#include "game_fixture.h"

using namespace testing_support;

namespace {

class PartyTest : public GameTest {};

TEST_F(PartyTest, NamesAndClassesByIndex) {
  struct Case {
    int kind, index;
    const char* expected;
  } const cases[] = {
      {1, 1, "Shyde"}, {1, 2, "Rune"},   {1, 3, "Kazik"},  {1, 7, "Kazik"}, {1, -1, "Kazik"},
      {2, 0, "Hero"},  {2, 1, "Archer"}, {2, 2, "Knight"}, {2, 3, "Mage"},  {2, 5, "Mage"},
      {2, -4, "Mage"},
  };
  for (const Case& c : cases) EXPECT_EQ(getNameOrClass(c.kind, c.index), c.expected) << c.kind << "," << c.index;
  EXPECT_TRUE(namePrompt.rows.empty()) << "only index 0 of kind 1 may prompt";
}

TEST_F(PartyTest, StatsByClass) {
  const int table[4][3] = {{5, 4, 3}, {4, 5, 2}, {3, 4, 4}, {2, 1, 2}};  // maxHp, atk, def
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(getStats(1, i), table[i][0]) << i;
    EXPECT_EQ(getStats(2, i), table[i][1]) << i;
    EXPECT_EQ(getStats(3, i), table[i][2]) << i;
    EXPECT_EQ(getStats(9, i), table[i][2]) << i;  // any other kind is defence
    EXPECT_EQ(getStats(0, i), table[i][2]) << i;
  }
}

TEST_F(PartyTest, InitializeStatsFillsThePartyInOrder) {
  keys({"Ann\n"});
  initializeStats();
  const char* names[4] = {"Ann", "Shyde", "Rune", "Kazik"};
  const char* classes[4] = {"Hero", "Archer", "Knight", "Mage"};
  for (int i = 0; i < 4; ++i) {
    const stats& m = member[i];
    EXPECT_EQ(m.name, names[i]);
    EXPECT_EQ(m.className, classes[i]);
    EXPECT_EQ(m.maxHp, getStats(1, i));
    EXPECT_EQ(m.hp, m.maxHp);
    EXPECT_EQ(m.atk, getStats(2, i));
    EXPECT_EQ(m.def, getStats(3, i));
    EXPECT_EQ(m.level, 1);
    EXPECT_EQ(m.alive, 1);
    EXPECT_EQ(m.exp, 25);
    EXPECT_EQ(m.levelExp, 25);
    EXPECT_EQ(m.kills, 0);
    EXPECT_EQ(m.classId, i);
  }
}

TEST_F(PartyTest, TheNameIsTheFirstWordAndTheRestOfTheLineIsNeverAKey) {
  struct Case {
    std::string typed;
    std::string name;
    bool lineEnds;  // a key typed after it is read as a key, not as the name
  } const cases[] = {
      {"  Red Fox\n", "Red", true},
      {"\n\n \t Ann\n", "Ann", true},
      {"Ann", "Ann", false},                       // the input ends with the word
      {"", "", false},                             // no word at all
      {"  \n \n", "", false},                      // only blanks and empty lines
      {"Zo\xC3\xAB\n", "Zo\x89", true},            // \u00eb is in code page 437
      {"\xE2\x82\xAC" "uro\n", "?uro", true},      // the euro sign is not
      {"a\xC3z\n", "a?z", true},                   // a broken sequence
      {"\xE2\x98\xBA!\n", "\x01!", true},          // the smiling face
      {"\x1b[A\x07x\n", "\x1b[A\x07x", true},      // control bytes are stored as typed
  };
  for (const Case& c : cases) {
    SetUp();
    keys({c.typed});
    if (c.lineEnds) {
      keys({"k"});
    }
    EXPECT_EQ(getNameOrClass(1, 0), c.name) << c.typed;
    if (c.lineEnds) {
      EXPECT_EQ(conio::_getch(), 'k') << c.typed;
    }
  }
}

TEST_F(PartyTest, AVeryLongNameIsKeptWhole) {
  std::string huge(1 << 20, 'n');
  keys({huge + " tail\n", "k"});
  EXPECT_EQ(getNameOrClass(1, 0), huge);
  EXPECT_EQ(conio::_getch(), 'k');
}

TEST_F(PartyTest, SpellBookStartsWithFlameOnly) {
  getMagicInfo();
  EXPECT_EQ(kazik.mp, 4);
  EXPECT_EQ(kazik.maxMp, 4);
  EXPECT_EQ(kazik.flameCost, 2);
  EXPECT_EQ(kazik.flameDamage, 4);
  EXPECT_EQ(kazik.blizzardCost, 8);
  EXPECT_EQ(kazik.blizzardDamage, 10);
  EXPECT_EQ(kazik.reaperCost, 20);
  EXPECT_EQ(kazik.reaperDamage, 30);
  EXPECT_TRUE(kazik.knowsFlame);
  EXPECT_FALSE(kazik.knowsBlizzard);
  EXPECT_FALSE(kazik.knowsReaper);
}

}  // namespace
