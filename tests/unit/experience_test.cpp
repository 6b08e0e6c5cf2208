// The experience award after a victory: who gets which share, the kill count,
// and the level-up screens with their gains and key waits.
#include "combat/experience.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "game/state.h"
#include "game_fixture.h"

using testing_support::PartyBuiltTest;
using testing_support::Lines;
using testing_support::screen;
using testing_support::pad;
using testing_support::rightKey;
using testing_support::screenNow;

namespace {


// The experience span of a level, from level 1's 25 with three times each new level added.
int spanAt(int level) { return 22 + 3 * level * (level + 1) / 2; }

class ExperienceTest : public PartyBuiltTest {};

// --- The award ---

struct AwardCase {
  const char* name;
  int dead;  // a member dead before the award, or -1
  int killer;
  int value;
  Lines lines;
  std::array<int, 4> expAfter;
  std::array<int, 4> killsAfter;
};

class AwardTest : public ExperienceTest, public ::testing::WithParamInterface<AwardCase> {};

TEST_P(AwardTest, SharesAndKills) {
  const AwardCase& c = GetParam();
  if (c.dead >= 0) kill(c.dead);
  ASSERT_TRUE(runUntilInputEnds([&] { getExp(c.killer, c.value); }));

  EXPECT_TRUE(reads.empty());  // nobody levels up, so no key wait
  EXPECT_EQ(screenNow().rows, screen({c.lines}));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(member[i].exp, c.expAfter[i]) << "member " << i;
    EXPECT_EQ(member[i].kills, c.killsAfter[i]) << "member " << i;
    EXPECT_EQ(member[i].level, 1) << "member " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Experience, AwardTest,
    ::testing::Values(
        AwardCase{"HeroKillsAllAlive", -1, 0, 4,
                  {"Ann recieves 8 experiance!", "Shyde recieves 4 experiance!", "Rune recieves 4 experiance!",
                   "Kazik recieves 4 experiance!"},
                  {17, 21, 21, 21}, {1, 0, 0, 0}},
        AwardCase{"KnightKillsArcherDead", 1, 2, 4,
                  {"Rune recieves 8 experiance!", "Ann recieves 4 experiance!", "Kazik recieves 4 experiance!"},
                  {21, 25, 17, 21}, {0, 0, 1, 0}},
        AwardCase{"SpellKillHeroDead", 0, 3, 2,
                  {"Kazik recieves 4 experiance!", "Shyde recieves 2 experiance!", "Rune recieves 2 experiance!"},
                  {25, 23, 23, 21}, {0, 0, 0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Reaching the next level ---

struct ThresholdCase {
  const char* name;
  int expBefore;
  int value;  // the killer, Ann, alone alive, receives twice this
  int levelAfter;
  int expAfter;
};

class ThresholdTest : public ExperienceTest, public ::testing::WithParamInterface<ThresholdCase> {};

TEST_P(ThresholdTest, AtMostOneLevelAndNothingCarriedOver) {
  const ThresholdCase& c = GetParam();
  for (int i : {1, 2, 3}) kill(i);
  member[0].exp = c.expBefore;
  keys({"x", "x"});
  ASSERT_TRUE(runUntilInputEnds([&] { getExp(0, c.value); }));

  EXPECT_EQ(reads.size(), c.levelAfter == 2 ? 2u : 0u);
  EXPECT_EQ(member[0].level, c.levelAfter);
  EXPECT_EQ(member[0].exp, c.expAfter);
  EXPECT_EQ(member[0].levelExp, c.levelAfter == 2 ? 31 : 25);
  EXPECT_EQ(member[1].level, 1);  // the dead get nothing, however much is paid
}

INSTANTIATE_TEST_SUITE_P(Experience, ThresholdTest,
                         ::testing::Values(ThresholdCase{"OneShort", 3, 1, 1, 1},
                                           ThresholdCase{"ExactlyZero", 2, 1, 2, 31},
                                           ThresholdCase{"OverflowIsLost", 3, 4, 2, 31},
                                           ThresholdCase{"HugeAwardGivesOneLevel", 25, 1000, 2, 31}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExperienceTest, LevelSpansGrowByThreeTimesTheNewLevel) {
  for (int i : {1, 2, 3}) kill(i);
  keys(std::vector<std::string>(28, "x"));
  std::vector<int> spans = {member[0].levelExp};
  for (int call = 0; call < 14; ++call) {
    ASSERT_TRUE(runUntilInputEnds([] { getExp(0, 1000); }));
    spans.push_back(member[0].levelExp);
    EXPECT_EQ(member[0].exp, member[0].levelExp);
  }
  EXPECT_EQ(std::vector<int>(spans.begin(), spans.begin() + 6), (std::vector<int>{25, 31, 40, 52, 67, 85}));
  EXPECT_EQ(member[0].level, 15);
  EXPECT_EQ(spans.back(), 382);
}

// --- Level-up screens ---

struct LevelUpCase {
  int classId;
  int newLevel;
  Lines gainLines;  // under the level lines
  int atk, def, maxHp, maxMp;  // gains
  bool blizzardAfter, reaperAfter;
};

class LevelUpTest : public ExperienceTest, public ::testing::WithParamInterface<LevelUpCase> {};

// The member levels up from one short, wounded; the others stay below their next level.
TEST_P(LevelUpTest, ScreenAndGains) {
  const LevelUpCase& c = GetParam();
  stats& m = member[c.classId];
  m.level = c.newLevel - 1;
  m.levelExp = spanAt(c.newLevel - 1);
  m.exp = 2;
  m.hp = 1;
  kazik.mp = 3;
  const stats before = m;
  const magicInfo bookBefore = kazik;
  keys({"x", "x"});
  ASSERT_TRUE(runUntilInputEnds([&] { getExp(c.classId, 1); }));

  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0].row(1), pad(m.name + " recieves 2 experiance!"));  // the award stays until a key
  const Lines levelScreen =
      screen({{"", m.name + " leveled up!", m.name + " is now level " + std::to_string(c.newLevel) + "!", ""},
              c.gainLines});
  EXPECT_EQ(reads[1].rows, levelScreen);
  EXPECT_EQ(screenNow().rows, levelScreen);
  EXPECT_EQ(m.level, c.newLevel);
  EXPECT_EQ(m.levelExp, spanAt(c.newLevel));
  EXPECT_EQ(m.exp, m.levelExp);
  EXPECT_EQ(m.atk, before.atk + c.atk);
  EXPECT_EQ(m.def, before.def + c.def);
  EXPECT_EQ(m.maxHp, before.maxHp + c.maxHp);
  EXPECT_EQ(m.hp, m.maxHp);
  EXPECT_EQ(kazik.maxMp, bookBefore.maxMp + c.maxMp);
  EXPECT_EQ(kazik.mp, 3);  // neither raised nor refilled
  EXPECT_EQ(kazik.knowsBlizzard, c.blizzardAfter);
  EXPECT_EQ(kazik.knowsReaper, c.reaperAfter);
}

const char* const restored = "HP Completly restored!";
INSTANTIATE_TEST_SUITE_P(
    Experience, LevelUpTest,
    ::testing::Values(
        LevelUpCase{0, 2, {"ATK + 1", "DEF + 1", "MAX HP + 1", restored}, 1, 1, 1, 0, false, false},
        LevelUpCase{0, 3, {"MAX HP + 1", restored}, 0, 0, 1, 0, false, false},
        LevelUpCase{1, 2, {"DEF + 1", "MAX HP + 1", "ATK +1 ", restored}, 1, 1, 1, 0, false, false},
        LevelUpCase{1, 3, {"ATK +1 ", restored}, 1, 0, 0, 0, false, false},
        LevelUpCase{2, 2, {"ATK + 1", "MAX HP + 1", "DEF + 1", restored}, 1, 1, 1, 0, false, false},
        LevelUpCase{2, 3, {"DEF + 1", restored}, 0, 1, 0, 0, false, false},
        LevelUpCase{3, 2, {"ATK + 1", "DEF + 1", "MAX HP + 1", "MAX MP + 1", restored}, 1, 1, 1, 1, false, false},
        LevelUpCase{3, 3, {"MAX MP + 1", restored}, 0, 0, 0, 1, false, false},
        LevelUpCase{3, 15, {"MAX MP + 1", "Learned new Blizzard Spell!", restored}, 0, 0, 0, 1, true, false},
        LevelUpCase{3, 30,
                    {"ATK + 1", "DEF + 1", "MAX HP + 1", "MAX MP + 1", "Learned new Reaper Spell!", restored},
                    1, 1, 1, 1, false, true}),
    [](const auto& info) {
      return "Class" + std::to_string(info.param.classId) + "ToLevel" + std::to_string(info.param.newLevel);
    });

// Waits come in the order: wait, first screen, wait, wait, second screen, wait.
// The right arrow's two bytes end the two waits around the gap between the screens.
TEST_F(ExperienceTest, TwoMembersLevelUpInOneCall) {
  member[1].exp = 1;
  member[3].exp = 1;
  keys({"x", rightKey, "x"});
  ASSERT_TRUE(runUntilInputEnds([] { getExp(0, 1); }));

  ASSERT_EQ(reads.size(), 4u);
  EXPECT_EQ(reads[0].rows, screen({{"Ann recieves 2 experiance!", "Shyde recieves 1 experiance!",
                                    "Rune recieves 1 experiance!", "Kazik recieves 1 experiance!"}}));
  const Lines shydeScreen =
      screen({{"", "Shyde leveled up!", "Shyde is now level 2!", "", "DEF + 1", "MAX HP + 1", "ATK +1 ", restored}});
  EXPECT_EQ(reads[1].rows, shydeScreen);
  EXPECT_EQ(reads[2].rows, shydeScreen);
  EXPECT_EQ(reads[3].rows, screen({{"", "Kazik leveled up!", "Kazik is now level 2!", "", "ATK + 1", "DEF + 1",
                                    "MAX HP + 1", "MAX MP + 1", restored}}));
  EXPECT_EQ(member[0].level, 1);
  EXPECT_EQ(member[2].level, 1);
}

}  // namespace
