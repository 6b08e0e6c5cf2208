// Map drawing and the villager proximity test.
#include <gtest/gtest.h>

#include "console/screen.h"
#include "explore/map.h"
#include "game/state.h"
#include "game_fixture.h"

using namespace testing_support;

namespace {

class MapTest : public GameTest {
 protected:
  void placeVillagers(std::initializer_list<std::pair<int, int>> places) {
    int i = 0;
    for (auto [x, y] : places) {
      villager[i].x = x;
      villager[i].y = y;
      villager[i].id = i;
      ++i;
    }
  }
};

TEST_F(MapTest, CheckIfNpcFindsVillagersOnOrBesideTheCell) {
  struct Case {
    std::pair<int, int> villagers[4];
    int x, y;
    bool found;
    int talkingWith;  // afterwards; 1 is the value before any was found
  } const cases[] = {
      {{{40, 12}, {60, 20}, {70, 3}, {5, 5}}, 20, 10, false, 1},   // nobody near
      {{{19, 10}, {60, 20}, {70, 3}, {5, 5}}, 20, 10, true, 0},    // left
      {{{60, 20}, {21, 10}, {70, 3}, {5, 5}}, 20, 10, true, 1},    // right
      {{{60, 20}, {70, 3}, {20, 9}, {5, 5}}, 20, 10, true, 2},     // above
      {{{60, 20}, {70, 3}, {5, 5}, {20, 11}}, 20, 10, true, 3},    // below
      {{{60, 20}, {70, 3}, {20, 10}, {5, 5}}, 20, 10, true, 2},    // on the cell itself
      {{{21, 11}, {19, 9}, {21, 9}, {19, 11}}, 20, 10, false, 1},  // diagonals do not count
      {{{19, 10}, {60, 20}, {21, 10}, {5, 5}}, 20, 10, true, 2},   // two: the higher index wins
      {{{0, 10}, {60, 20}, {70, 3}, {5, 5}}, 1, 10, true, 0},      // column 0, off the screen
  };
  for (const Case& c : cases) {
    talkingWith = 1;
    for (int i = 0; i < 4; ++i) {
      villager[i].x = c.villagers[i].first;
      villager[i].y = c.villagers[i].second;
      villager[i].id = i;
    }
    EXPECT_EQ(checkIfNPC(c.x, c.y), c.found) << c.villagers[0].first << "," << c.villagers[0].second;
    EXPECT_EQ(talkingWith, c.talkingWith);
  }
}

TEST_F(MapTest, CheckIfNpcKeepsTheLastVillagerFoundAndIgnoresTheArea) {
  placeVillagers({{40, 12}, {60, 20}, {21, 10}, {5, 5}});
  area = 2;  // the villagers are not drawn in the field, yet still found
  EXPECT_TRUE(checkIfNPC(20, 10));
  EXPECT_EQ(talkingWith, 2);
  EXPECT_FALSE(checkIfNPC(30, 10));
  EXPECT_EQ(talkingWith, 2);
}

TEST_F(MapTest, CheckVillageIsTrueOnlyForAreaOne) {
  for (auto [a, expected] : {std::pair{1, true}, {2, false}, {0, false}, {3, false}}) {
    area = a;
    EXPECT_EQ(checkVillage(), expected) << a;
  }
}

TEST_F(MapTest, DrawCharacterAndMaskBlanksTheFourNeighboursOnly) {
  for (int r = 1; r <= 25; ++r) {
    conio::gotoxy(1, r);
    conio::putText(std::string(80, '.'));
  }
  drawCharacterAndMask(5, 3);
  EXPECT_EQ(row(2), std::string(4, '.') + " " + std::string(75, '.'));
  EXPECT_EQ(row(3), std::string(3, '.') + " \x02 " + std::string(74, '.'));
  EXPECT_EQ(row(4), std::string(4, '.') + " " + std::string(75, '.'));
  EXPECT_EQ(row(1), std::string(80, '.'));
  EXPECT_EQ(row(5), std::string(80, '.'));
  EXPECT_EQ(conio::wherex(), 6);
  EXPECT_EQ(conio::wherey(), 3);
}

TEST_F(MapTest, DrawCharacterAndMaskInTheCornerWritesTheRefusedBlankAtTheCursor) {
  for (int r = 1; r <= 3; ++r) {
    conio::gotoxy(1, r);
    conio::putText(std::string(80, '.'));
  }
  conio::gotoxy(30, 3);
  // (0, 1) and (1, 0) are refused: those blanks land where the cursor stood,
  // first (30, 3), then just right of the blank at (2, 1).
  drawCharacterAndMask(1, 1);
  EXPECT_EQ(row(1), "\x02  " + std::string(77, '.'));
  EXPECT_EQ(row(2), " " + std::string(79, '.'));
  EXPECT_EQ(row(3), std::string(29, '.') + " " + std::string(50, '.'));
}

TEST_F(MapTest, DrawShopDrawsSolidBuildingsWithTheirDoors) {
  weaponShop = building{50, 3, 5, 5, 52, 7};
  itemShop = building{55, 15, 5, 5, 57, 19};
  const std::string walls(5, '\xDB');
  struct Case {
    bool first, second;
  } const cases[] = {{true, true}, {true, false}, {false, true}, {false, false}};
  for (const Case& c : cases) {
    conio::clrscr();
    drawShop(c.first, c.second);
    for (int r = 1; r <= 25; ++r) {
      std::string expected = pad("");
      if (c.first && r >= 3 && r <= 7) expected.replace(49, 5, r == 7 ? "\xDB\xDB\xB1\xDB\xDB" : walls);
      if (c.second && r >= 15 && r <= 19) expected.replace(54, 5, r == 19 ? "\xDB\xDB\xB1\xDB\xDB" : walls);
      EXPECT_EQ(row(r), expected) << "row " << r << " flags " << c.first << c.second;
    }
  }
}

}  // namespace
