// The exploration loop driven by scripted keys and draws, checked on the whole
// screen at each key read.
#include <gtest/gtest.h>

#include "console/screen.h"
#include "game/state.h"
#include "game_fixture.h"

using namespace testing_support;

namespace {

const std::string party = "\x02", face = "\x01", wall = "\xDB", shade = "\xB1", darkShade = "\xB2";

// Villagers at (20, 12), (30, 20), (70, 22) and (5, 23): out of every path below.
const std::vector<int> villagerDraws = {20, 12, 30, 20, 70, 22, 5, 23};

void drawBuilding(Canvas& c, int x, int y, int doorX, int doorY) {
  for (int col = x; col < x + 5; ++col)
    for (int r = y; r < y + 5; ++r) c.put(col, r, wall);
  c.put(doorX, doorY, shade);
}

void readout(Canvas& c, int x, int y, bool personThere, bool inVillage) {
  c.put(1, 1, "Xpos: " + std::to_string(x));
  c.put(1, 2, "Ypos: " + std::to_string(y));
  c.put(1, 3, personThere ? "personThere = true " : "personThere = false");
  c.put(1, 4, inVillage ? "insideVillage = true " : "insideVillage = false");
  c.put(1, 5, inVillage ? "Area: 1" : "Area: 2");
}

// The village as a pass draws it, with the villagers placed by `placed`.
Canvas village(int x, int y, bool personThere = false, const std::vector<int>& placed = villagerDraws) {
  Canvas c;
  c.put(10, 10, shade);
  drawBuilding(c, 50, 3, 52, 7);
  drawBuilding(c, 55, 15, 57, 19);
  for (size_t i = 0; i < placed.size(); i += 2) c.put(placed[i], placed[i + 1], face);
  readout(c, x, y, personThere, true);
  return c;
}

// A row with text written over it from column 1.
std::string writtenOver(std::string row, const std::string& text) { return row.replace(0, text.size(), text); }

Canvas field(int x, int y) {
  Canvas c;
  c.put(10, 10, darkShade);
  readout(c, x, y, false, false);
  return c;
}

class LoopTest : public GameTest {};

TEST_F(LoopTest, NamePromptIsWrittenOverWhatTheScreenHeld) {
  for (int r = 1; r <= 25; ++r) {
    conio::gotoxy(1, r);
    conio::putText(std::string(80, 'x'));
  }
  draws(villagerDraws);
  keys({"Ann\n", "q"});
  EXPECT_EQ(runGame(), 0);

  const std::string xs(80, 'x');
  EXPECT_EQ(namePrompt.row(1), "Enter main character's name: " + xs.substr(29));
  EXPECT_EQ(namePrompt.row(2), "[Note: Only one word]" + xs.substr(21));
  EXPECT_EQ(namePrompt.row(3), xs);  // the empty line moves on without writing
  EXPECT_EQ(namePrompt.row(4), " Help:" + xs.substr(6));
  EXPECT_EQ(namePrompt.row(5), "ENTER - View Stats" + xs.substr(18));
  EXPECT_EQ(namePrompt.row(6), "'q' or Esc - Quit" + xs.substr(17));
  EXPECT_EQ(namePrompt.row(7), "Arrow keys move." + xs.substr(16));
  EXPECT_EQ(namePrompt.row(8), xs);
  EXPECT_EQ(namePrompt.x, 30);  // typing is echoed right after the prompt
  EXPECT_EQ(namePrompt.y, 1);
  EXPECT_EQ(member[0].name, "Ann");
}

TEST_F(LoopTest, FirstPassDrawsTheVillageThePartyAndTheReadout) {
  draws(villagerDraws);
  keys({"Ann\n", "q"});
  EXPECT_EQ(runGame(), 0);

  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0].rows, village(3, 10).put(3, 10, party).rows);
  EXPECT_EQ(reads[0].x, 1);
  EXPECT_EQ(reads[0].y, 6);
  for (int r = 1; r <= 25; ++r) EXPECT_EQ(row(r), pad("")) << "row " << r << " after quitting";
  EXPECT_EQ(drawsLeft(), 0u);
}

TEST_F(LoopTest, StartUpPlacesTheVillagersAndBuildsTheParty) {
  draws({78, 23, 0, 0, 1, 2, 3, 4});
  keys({"Ann\n", "q"});
  runGame();
  const int expected[4][2] = {{78, 23}, {0, 0}, {1, 2}, {3, 4}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(villager[i].x, expected[i][0]);
    EXPECT_EQ(villager[i].y, expected[i][1]);
    EXPECT_EQ(villager[i].dialogStage, 1);
    EXPECT_EQ(villager[i].id, i);
    EXPECT_EQ(villager[i].name, "Villager");
    EXPECT_EQ(member[i].level, 1);
    EXPECT_EQ(member[i].hp, member[i].maxHp);
  }
  EXPECT_EQ(kazik.mp, 4);
}

TEST_F(LoopTest, VillagerDrawsAreTakenModuloTheMapSize) {
  draws({79 + 5, 24 + 6, 158, 48, 1000, 1000, 7, 7});
  keys({"Ann\n", "q"});
  runGame();
  EXPECT_EQ(villager[0].x, 5);
  EXPECT_EQ(villager[0].y, 6);
  EXPECT_EQ(villager[1].x, 0);
  EXPECT_EQ(villager[1].y, 0);
  EXPECT_EQ(villager[2].x, 1000 % 79);
  EXPECT_EQ(villager[2].y, 1000 % 24);
}

TEST_F(LoopTest, AnArrowMakesTwoPassesAndMovesThePartyWithoutATrail) {
  draws(villagerDraws);
  keys({"Ann\n", rightKey, "q"});
  EXPECT_EQ(runGame(), 0);

  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[1].rows, village(3, 10).put(3, 10, party).rows);  // the prefix byte moved nothing
  EXPECT_EQ(reads[2].rows, village(4, 10).put(4, 10, party).rows);
}

TEST_F(LoopTest, UpperCaseLettersMoveLikeArrows) {
  draws(villagerDraws);
  keys({"Ann\n", "MPKH", "q"});
  runGame();
  ASSERT_EQ(reads.size(), 5u);
  EXPECT_EQ(reads[1].rows, village(4, 10).put(4, 10, party).rows);
  EXPECT_EQ(reads[2].rows, village(4, 11).put(4, 11, party).rows);
  EXPECT_EQ(reads[3].rows, village(3, 11).put(3, 11, party).rows);
  EXPECT_EQ(reads[4].rows, village(3, 10).put(3, 10, party).rows);
}

TEST_F(LoopTest, AShorterPositionCoversTheOldDigits) {
  draws(villagerDraws);
  keys({"Ann\n", upKey, "q"});
  runGame();
  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[2].row(2), pad("Ypos: 9"));
  EXPECT_EQ(reads[2].rows, village(3, 9).put(3, 9, party).rows);
}

TEST_F(LoopTest, TheExitLeadsToTheFieldAndBack) {
  draws(villagerDraws);
  draws({0, 0});  // the two field passes' rolls: no battle
  std::vector<std::string> input = {"Ann\n"};
  for (int i = 0; i < 7; ++i) input.push_back(rightKey);
  input.push_back(leftKey);
  input.push_back("q");
  keys(input);
  EXPECT_EQ(runGame(), 0);

  ASSERT_EQ(reads.size(), 17u);
  EXPECT_EQ(reads[13].rows, village(9, 10).put(9, 10, party).rows);
  // Stepping onto (10, 10) clears the screen and puts the party right of the exit.
  EXPECT_EQ(reads[14].rows, field(11, 10).put(11, 10, party).rows);
  EXPECT_EQ(reads[15].rows, field(11, 10).put(11, 10, party).rows);
  EXPECT_EQ(reads[16].rows, village(11, 10).put(11, 10, party).rows);
  EXPECT_EQ(area, 1);
  EXPECT_EQ(drawsLeft(), 0u);
}

TEST_F(LoopTest, QuitKeysActAtTheTopOfTheNextPass) {
  struct Case {
    std::vector<std::string> input;
    int status;
    size_t readsMade;
  };
  const Case cases[] = {
      {{"Ann\n", "q"}, 0, 1},
      {{"Ann\n", escKey, silence}, 0, 1},
      {{"Ann\n", "Q"}, 1, 2},          // upper-case Q is no command; then the input ends
      {{"Ann\n", "x", "q"}, 0, 2},
      {{"Ann\n", rightKey, escKey, silence}, 0, 3},
  };
  for (const Case& c : cases) {
    SetUp();
    draws(villagerDraws);
    keys(c.input);
    EXPECT_EQ(runGame(), c.status) << c.input[1];
    EXPECT_EQ(reads.size(), c.readsMade) << c.input[1];
  }
}

TEST_F(LoopTest, EndOfInputEndsTheGame) {
  draws(villagerDraws);
  keys({"Ann\n", rightKey});
  EXPECT_EQ(runGame(), 1);
  EXPECT_EQ(reads.size(), 3u);
}

TEST_F(LoopTest, SpaceBeforeAnyMoveDoesNothing) {
  draws({4, 10, 30, 20, 70, 22, 5, 23});  // villager 0 right next to the start
  keys({"Ann\n", " ", "q"});
  runGame();
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[1].row(3).substr(0, 20), "personThere = false ");
  EXPECT_EQ(villager[0].dialogStage, 1);
}

TEST_F(LoopTest, SpaceNextToAVillagerPlaysItsExchange) {
  draws({20, 12, 5, 10, 70, 22, 5, 23});  // villager 1 two cells right of the party
  keys({"Ann\n", rightKey, " ", "a", "b", "q"});
  EXPECT_EQ(runGame(), 0);

  ASSERT_EQ(reads.size(), 6u);
  const std::string wallRow6 = village(4, 10).rows[5];
  EXPECT_EQ(reads[2].row(3), village(4, 10, true).rows[2]);
  EXPECT_EQ(reads[3].row(6), writtenOver(wallRow6, "Villager: Hi there! "));
  EXPECT_EQ(reads[4].row(6), writtenOver(wallRow6, "Ann: Hello.             "));
  // The conversation cleared the screen: the map is back, the party is not.
  Canvas after;
  after.put(10, 10, shade);
  drawBuilding(after, 50, 3, 52, 7);
  drawBuilding(after, 55, 15, 57, 19);
  after.put(20, 12, face).put(5, 10, face).put(70, 22, face).put(5, 23, face);
  readout(after, 4, 10, true, true);
  EXPECT_EQ(reads[5].rows, after.rows);
  EXPECT_EQ(villager[1].dialogStage, 2);
}

TEST_F(LoopTest, PersonThereStillDescribesTheExitCellAfterComingBack) {
  draws({20, 12, 30, 20, 70, 22, 9, 10});  // villager 3 beside the exit
  draws({0, 0});
  std::vector<std::string> input = {"Ann\n"};
  for (int i = 0; i < 7; ++i) input.push_back(rightKey);
  input.insert(input.end(), {leftKey, " ", "k", "q"});
  keys(input);
  EXPECT_EQ(runGame(), 0);

  ASSERT_EQ(reads.size(), 19u);
  EXPECT_EQ(reads[14].row(3), pad("personThere = false"));  // true, but not shown in the field
  EXPECT_EQ(reads[16].row(3).substr(0, 20), "personThere = true  ");
  // The line covers the left of the upper building's row; the rest still shows.
  EXPECT_EQ(reads[17].row(6), pad("Villager: I heard that Mydasiad has a large army... \xDB\xDB"));
  EXPECT_EQ(talkingWith, 3);
}

TEST_F(LoopTest, SpaceInTheFieldDoesNotTalk) {
  draws({20, 12, 30, 20, 70, 22, 9, 10});
  draws({0, 0});
  std::vector<std::string> input = {"Ann\n"};
  for (int i = 0; i < 7; ++i) input.push_back(rightKey);
  input.insert(input.end(), {" ", "q"});
  keys(input);
  runGame();
  ASSERT_EQ(reads.size(), 16u);
  EXPECT_EQ(reads[15].rows, field(11, 10).put(11, 10, party).rows);
  EXPECT_EQ(villager[3].dialogStage, 1);
}

TEST_F(LoopTest, EnterShowsTheStatusScreenAndTheNextKeyIsDropped) {
  draws(villagerDraws);
  keys({"Ann\n", "\r", leftKey, "q"});
  runGame();
  ASSERT_EQ(reads.size(), 4u);
  EXPECT_EQ(reads[1].row(11), pad("    Press any key to return to game..."));
  // The prefix byte closed the status screen; the map came back without the
  // party, and the arrow's code moved it.
  Canvas back = village(3, 10);
  EXPECT_EQ(reads[2].rows, back.rows);
  EXPECT_EQ(reads[3].rows, village(2, 10).put(2, 10, party).rows);
}

TEST_F(LoopTest, EscapeOnTheStatusScreenDoesNotQuit) {
  draws(villagerDraws);
  keys({"Ann\n", "\r", escKey, silence, "q"});
  EXPECT_EQ(runGame(), 0);
  EXPECT_EQ(reads.size(), 3u);
}

TEST_F(LoopTest, AVillagerInColumnZeroIsDrawnAtThePreviousCursor) {
  const std::vector<int> placed = {0, 5, 30, 20, 70, 22, 5, 23};
  draws(placed);
  keys({"Ann\n", "q"});
  runGame();
  // The last thing written before it was the lower door, whose line end left
  // the cursor at the start of row 20.
  const std::vector<int> shown = {1, 20, 30, 20, 70, 22, 5, 23};
  EXPECT_EQ(reads[0].rows, village(3, 10, false, shown).put(3, 10, party).rows);
}

TEST_F(LoopTest, GameOverLinesThenOneKeyEndsTheGame) {
  allDead = true;
  draws(villagerDraws);
  keys({"Ann\n", "k", "q"});
  EXPECT_EQ(runGame(), 0);
  ASSERT_EQ(reads.size(), 1u);
  Canvas over = village(3, 10).put(3, 10, party);
  over.put(40, 15, "All members of your party has died...");
  over.put(45, 16, "GAME OVER!");
  EXPECT_EQ(reads[0].rows, over.rows);
  for (int r = 1; r <= 25; ++r) EXPECT_EQ(row(r), pad(""));
}

// Seven steps right from the start cross the exit into the field.
std::vector<std::string> walkToTheField() {
  std::vector<std::string> input = {"Ann\n"};
  for (int i = 0; i < 7; ++i) input.push_back(rightKey);
  return input;
}

TEST_F(LoopTest, ARollOfTenAtAnArrowsPrefixStartsABattleThatTakesTheArrowsCode) {
  std::vector<std::string> input = walkToTheField();
  input.insert(input.end(), {leftKey, "r", "x", "y", "q"});
  keys(input);
  draws(villagerDraws);
  draws({10, 0, 3, 0});  // roll, opponent, a successful flight, the next pass's roll
  EXPECT_EQ(runGame(), 0);

  ASSERT_EQ(reads.size(), 20u);
  EXPECT_EQ(reads[15].row(1), pad("Ann HP: 5/5"));
  EXPECT_EQ(reads[15].row(2), pad("Wounded Driniad Soldier's HP: 7"));
  EXPECT_EQ(reads[16].rows, reads[15].rows);  // the arrow's code only redrew the page
  // The step was never taken: the field comes back without the party glyph.
  EXPECT_EQ(reads[19].rows, field(11, 10).rows);
  EXPECT_EQ(drawsLeft(), 0u);
}

TEST_F(LoopTest, APartyKilledInBattleEndsTheGameOnTheNextPass) {
  // Every member tries to run and fails until all four are dead.
  const std::vector<std::string> battleKeys = {"r", "w", "r", "w", "r", "w", "r", "w", "e",
                                               "r", "w", "r", "w", "r", "w", "d", "e", "c"};
  const std::vector<int> battleDraws = {1, 0, 0, 0, 0, 0, 0, 0, 0, 2};
  struct Case {
    std::string trigger;  // the key whose pass rolled the battle
    bool gameOverScreen;
  } const cases[] = {{"x", true}, {"q", false}};
  for (const Case& c : cases) {
    SetUp();
    std::vector<std::string> input = walkToTheField();
    input.push_back(c.trigger);
    input.insert(input.end(), battleKeys.begin(), battleKeys.end());
    input.push_back("k");
    keys(input);
    draws(villagerDraws);
    draws({10});
    draws(battleDraws);
    if (c.gameOverScreen) draws({0});
    EXPECT_EQ(runGame(), 0);
    EXPECT_TRUE(allDead);
    EXPECT_EQ(drawsLeft(), 0u);
    // The quit key was read before the battle, so no game-over screen follows it.
    ASSERT_EQ(reads.size(), 15u + battleKeys.size() + (c.gameOverScreen ? 1 : 0)) << c.trigger;
    if (c.gameOverScreen) {
      Canvas over = field(11, 10);
      over.put(40, 15, "All members of your party has died...");
      over.put(45, 16, "GAME OVER!");
      EXPECT_EQ(reads.back().rows, over.rows);
    }
    for (int r = 1; r <= 25; ++r) EXPECT_EQ(row(r), pad("")) << "row " << r;
  }
}

}  // namespace
