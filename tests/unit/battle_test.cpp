// Battles played key by key: the pages each member sees, the lines every
// choice writes under them, and how each way of ending a battle leaves the
// party and the screen.
#include "combat/battle.h"

#include <gtest/gtest.h>

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
using testing_support::upKey;

namespace {


const Lines blankScreen = screen({});

class BattleTest : public PartyBuiltTest {};

// --- Victory ---

TEST_F(BattleTest, AttackThatKillsPaysExperienceAndEndsAfterTwoWaits) {
  member[0].atk = 10;  // 7 damage: the wounded soldier's whole HP
  draws({0});
  keys({"a", "x", "x"});
  ASSERT_TRUE(runUntilInputEnds([] { battle(); }));

  ASSERT_EQ(reads.size(), 3u);  // the menu, the end of the cycle, the closing wait
  const Lines won = screen({{"Ann HP: 5/5", "Wounded Driniad Soldier's HP: 7", "Ann's turn!", "", "(A)ttack",
                             "(R)un", "", "Ann attacks!", "Wounded Driniad Soldier recieves 7 damage!", "",
                             "Wounded Driniad Soldier expires! ", "", "Ann recieves 4 experiance!",
                             "Shyde recieves 2 experiance!", "Rune recieves 2 experiance!",
                             "Kazik recieves 2 experiance!"}});
  EXPECT_EQ(reads[1].rows, won);
  EXPECT_EQ(reads[2].rows, won);  // nobody else acted and the opponent did not strike
  EXPECT_EQ(screenNow().rows, blankScreen);
  EXPECT_EQ(member[0].kills, 1);
  EXPECT_EQ(member[0].exp, 21);
  EXPECT_EQ(member[3].exp, 23);
  EXPECT_FALSE(allDead);
}

TEST_F(BattleTest, SpellThatKillsCreditsTheMage) {
  kazik.flameDamage = 3;  // lands the opponent on exactly 0, which kills
  draws({0});             // the wounded soldier, 7 HP: 1 + 2 + 1 from the attacks, then Flame's 3
  keys({"a", "x", "a", "x", "a", "x", "m", "f", "x", "x"});
  ASSERT_TRUE(runUntilInputEnds([] { battle(); }));

  ASSERT_EQ(reads.size(), 10u);
  EXPECT_EQ(reads[1].rows, screen({{"Ann HP: 5/5", "Wounded Driniad Soldier's HP: 7", "Ann's turn!", "",
                                    "(A)ttack", "(R)un", "", "Ann attacks!",
                                    "Wounded Driniad Soldier recieves 1 damage!"}}));
  EXPECT_EQ(reads[6].rows, screen({{"Kazik HP: 2/2", "Kazik MP: 4/4", "Wounded Driniad Soldier's HP: 3",
                                    "Kazik's turn!", "", "(A)ttack", "(M)agic", "(R)un", ""}}));
  const Lines magicPage = {"Kazik HP: 2/2", "Kazik MP: 4/4", "Wounded Driniad Soldier's HP: 3", "",
                           "Cast which:", "(F)lame (2 MP)"};
  EXPECT_EQ(reads[7].rows, screen({magicPage}));
  EXPECT_EQ(reads[8].rows,
            screen({magicPage,
                    {"", "Kazik casts Flame!", "Wounded Driniad Soldier burns for 3 damage!", "",
                     "Wounded Driniad Soldier expires! ", "", "Kazik recieves 4 experiance!",
                     "Ann recieves 2 experiance!", "Shyde recieves 2 experiance!", "Rune recieves 2 experiance!"}}));
  EXPECT_EQ(reads[9].rows, reads[8].rows);
  EXPECT_EQ(screenNow().rows, blankScreen);
  EXPECT_EQ(member[3].kills, 1);
  EXPECT_EQ(member[3].exp, 21);
  EXPECT_EQ(member[0].kills, 0);
  EXPECT_EQ(kazik.mp, 2);
}

// --- The magic page ---

struct MagicCase {
  const char* name;
  bool blizzard, reaper;  // learnt
  int mp;                 // before the turn
  const char* key;        // pressed on the magic page
  Lines result;           // written under the page before the opponent strikes
  int mpAfter;
  int opponentHpAfter;    // from 7
};

class MagicPageTest : public BattleTest, public ::testing::WithParamInterface<MagicCase> {};

// Only the mage is alive; the opponent's strike then goes to a dead member.
TEST_P(MagicPageTest, KeyOnTheMagicPage) {
  const MagicCase& c = GetParam();
  for (int i : {0, 1, 2}) kill(i);
  member[3].name = "Mira";  // the page's first line names Kazik whatever the mage is called
  kazik.mp = c.mp;
  kazik.knowsBlizzard = c.blizzard;
  kazik.knowsReaper = c.reaper;
  kazik.blizzardDamage = 1;  // small enough to leave the opponent alive
  kazik.reaperDamage = 2;
  draws({0, 1});
  keys({"x", "x", "x", "m", c.key, "x"});
  EXPECT_FALSE(runUntilInputEnds([] { battle(); }));

  ASSERT_EQ(reads.size(), 7u);  // three dead pages, the menu, the magic page, the cycle's end, Ann
  Lines page = {"Kazik HP: 2/2", "Mira MP: " + std::to_string(c.mp) + "/4", "Wounded Driniad Soldier's HP: 7", "",
                "Cast which:", "(F)lame (2 MP)"};
  if (c.blizzard) page.push_back("(B)lizzard (8 MP)");
  if (c.reaper) page.push_back("(R)eaper (20 MP)");
  EXPECT_EQ(reads[4].rows, screen({page}));
  EXPECT_EQ(reads[5].rows, screen({page, c.result,
                                   {"", "Wounded Driniad Soldier attacks! ",
                                    "...but Shyde is already dead and can recieve no more damage."}}));
  EXPECT_EQ(reads[6].row(2), pad("Wounded Driniad Soldier's HP: " + std::to_string(c.opponentHpAfter)));
  EXPECT_EQ(kazik.mp, c.mpAfter);
}

const Lines nothing = {};
INSTANTIATE_TEST_SUITE_P(
    Battle, MagicPageTest,
    ::testing::Values(
        MagicCase{"NotEnoughMp", false, false, 1, "f", {"", "Not enough MP"}, 1, 7},
        MagicCase{"FlameAtExactlyItsCost", false, false, 2, "F",
                  {"", "Mira casts Flame!", "Wounded Driniad Soldier burns for 4 damage!"}, 0, 3},
        MagicCase{"Blizzard", true, false, 9, "B",
                  {"", "Mira casts Blizzard!", "Wounded Driniad Soldier freezes for 1 damage!"}, 1, 6},
        MagicCase{"Reaper", true, true, 25, "r",
                  {"", "Mira casts Reaper!", "Wounded Driniad Soldier's soul is ravaged for 2 damage!"}, 5, 5},
        MagicCase{"BlizzardNotLearnt", false, false, 20, "b", nothing, 20, 7},
        MagicCase{"ReaperNotLearnt", true, false, 20, "R", nothing, 20, 7},
        MagicCase{"UnlistedKey", true, true, 20, "x", nothing, 20, 7}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Flight ---

TEST_F(BattleTest, SuccessfulFlightEndsWithNoStrikeAndNoExperience) {
  draws({1, 3});
  keys({"r", "x", "x"});
  ASSERT_TRUE(runUntilInputEnds([] { battle(); }));

  ASSERT_EQ(reads.size(), 3u);
  const Lines fled = screen({{"Ann HP: 5/5", "Driniad Soldier's HP: 10", "Ann's turn!", "", "(A)ttack", "(R)un", "",
                              "Ann attempts to run.... and manages to flee! ", "Battle Ended"}});
  EXPECT_EQ(reads[1].rows, fled);
  EXPECT_EQ(reads[1].x, 13);  // no line end after "Battle Ended"
  EXPECT_EQ(reads[1].y, 9);
  EXPECT_EQ(reads[2].rows, fled);
  EXPECT_EQ(screenNow().rows, blankScreen);
  EXPECT_EQ(drawsLeft(), 0u);  // the flight's draw, and no strike
  for (const stats& m : member) {
    EXPECT_EQ(m.exp, 25);
    EXPECT_EQ(m.hp, m.maxHp);
  }
}

// Ann fails to flee and dies; the others still act, the opponent strikes for 0,
// and Ann's next turn is the dead member's page.
TEST_F(BattleTest, FailedFlightCanKillTheRunnerWhoIsDeadFromTheNextCycle) {
  member[0].hp = 1;
  draws({0, 7, 2});  // the wounded soldier; no flight; the strike at Rune (def 4 against atk 4)
  keys({"r", "x", "a", "x", "a", "x", "a", "x", "x"});
  EXPECT_FALSE(runUntilInputEnds([] { battle(); }));

  ASSERT_EQ(reads.size(), 10u);
  EXPECT_EQ(reads[1].rows, screen({{"Ann HP: 1/5", "Wounded Driniad Soldier's HP: 7", "Ann's turn!", "",
                                    "(A)ttack", "(R)un", "", "Ann attempts to run.... but can't!",
                                    "Ann recieves 1 damage!", "Ann expires... "}}));
  EXPECT_EQ(reads[2].row(1), pad("Shyde HP: 4/4"));
  const Lines mageAttack = {"Kazik HP: 2/2", "Kazik MP: 4/4", "Wounded Driniad Soldier's HP: 4", "Kazik's turn!", "",
                            "(A)ttack", "(M)agic", "(R)un", "", "Kazik attacks!",
                            "Wounded Driniad Soldier recieves 0 damage!"};
  EXPECT_EQ(reads[7].rows, screen({mageAttack}));
  EXPECT_EQ(reads[8].rows,
            screen({mageAttack, {"", "Wounded Driniad Soldier attacks!", "Rune suffers 0 damage!", ""}}));
  EXPECT_EQ(reads[9].rows, screen({{"HP: 0/5", "Wounded Driniad Soldier's HP: 4", "Ann's turn!", "",
                                    "Ann is dead and cannot move... "}}));
  EXPECT_EQ(member[0].alive, 0);
  EXPECT_EQ(member[2].hp, 3);
  EXPECT_FALSE(allDead);
}

// --- The party's death ---

struct PartyDeathCase {
  const char* name;
  const char* annKey;
  std::vector<int> draws;  // the opponent, then the flight and the strike as they come
  Lines annLines;          // under Ann's page
  int opponentHp;          // on Kazik's dead page
  Lines strikeLines;       // under Kazik's dead page
};

class PartyDeathTest : public BattleTest, public ::testing::WithParamInterface<PartyDeathCase> {};

// Ann is the last one alive, with 1 HP, against the soldier's 2 damage.
TEST_P(PartyDeathTest, LastMemberDiesAndTheBattleCloses) {
  const PartyDeathCase& c = GetParam();
  for (int i : {1, 2, 3}) kill(i);
  member[0].hp = 1;
  draws(c.draws);
  keys({c.annKey, "x", "x", "x", "x", "x", "x"});
  ASSERT_TRUE(runUntilInputEnds([] { battle(); }));

  ASSERT_EQ(reads.size(), 7u);  // Ann's menu and wait, three dead pages, the cycle's end, the closing wait
  EXPECT_EQ(reads[1].rows, screen({{"Ann HP: 1/5", "Driniad Soldier's HP: 10", "Ann's turn!", "", "(A)ttack",
                                    "(R)un", ""},
                                   c.annLines}));
  const Lines lastPage = screen({{"HP: 0/2", "Driniad Soldier's HP: " + std::to_string(c.opponentHp),
                                  "Kazik's turn!", "", "Kazik is dead and cannot move... "},
                                 c.strikeLines});
  EXPECT_EQ(reads[5].rows, lastPage);
  EXPECT_EQ(reads[6].rows, lastPage);
  EXPECT_EQ(screenNow().rows, blankScreen);
  EXPECT_EQ(drawsLeft(), 0u);
  EXPECT_TRUE(allDead);
  EXPECT_EQ(member[0].hp, 0);  // 1 - 2, never shown or kept below 0
  EXPECT_EQ(member[0].alive, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Battle, PartyDeathTest,
    ::testing::Values(
        PartyDeathCase{"ByFailedFlight", "r", {1, 0, 0},
                       {"Ann attempts to run.... but can't!", "Ann recieves 2 damage!", "Ann expires... "}, 10,
                       {"", "Driniad Soldier attacks! ",
                        "...but Ann is already dead and can recieve no more damage."}},
        PartyDeathCase{"ByTheOpponentsStrike", "a", {1, 0},
                       {"Ann attacks!", "Driniad Soldier recieves 1 damage!"}, 9,
                       {"", "Driniad Soldier attacks!", "Ann suffers 2 damage!", "", "Ann expires... "}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Keys with no meaning on the menu ---

TEST_F(BattleTest, UnlistedKeysShowTheSamePageAgain) {
  draws({1});
  // "m" is not on a non-mage's menu; the up arrow gives two bytes, neither listed.
  keys({"m", "M", "z", upKey, "\r", "A"});
  EXPECT_FALSE(runUntilInputEnds([] { battle(); }));

  ASSERT_EQ(reads.size(), 8u);
  const Lines annPage = {"Ann HP: 5/5", "Driniad Soldier's HP: 10", "Ann's turn!", "", "(A)ttack", "(R)un", ""};
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(reads[i].rows, screen({annPage})) << "read " << i;
  EXPECT_EQ(reads[7].rows, screen({annPage, {"Ann attacks!", "Driniad Soldier recieves 1 damage!"}}));
}

TEST_F(BattleTest, RightArrowOnTheMagesMenuRedrawsThenOpensTheMagicPage) {
  for (int i : {0, 1, 2}) kill(i);
  draws({1, 0});
  keys({"x", "x", "x", upKey, rightKey, "x"});
  EXPECT_FALSE(runUntilInputEnds([] { battle(); }));

  ASSERT_EQ(reads.size(), 9u);
  const Lines mageMenu = screen({{"Kazik HP: 2/2", "Kazik MP: 4/4", "Driniad Soldier's HP: 10", "Kazik's turn!", "",
                                  "(A)ttack", "(M)agic", "(R)un", ""}});
  for (size_t i = 3; i < 7; ++i) EXPECT_EQ(reads[i].rows, mageMenu) << "read " << i;  // 224 72 224 77
  EXPECT_EQ(reads[7].rows, screen({{"Kazik HP: 2/2", "Kazik MP: 4/4", "Driniad Soldier's HP: 10", "", "Cast which:",
                                    "(F)lame (2 MP)"}}));
  EXPECT_EQ(kazik.mp, 4);
}

}  // namespace
