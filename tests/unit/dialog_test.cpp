// The villagers' conversations as a player meets them: row 6 at every key
// wait, the stage the next talk starts from, and the screen cleared at the end.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "console/keyboard.h"
#include "console/screen.h"
#include "game/state.h"
#include "game_fixture.h"
#include "screens/dialog.h"

using namespace testing_support;

namespace {

// The villagers as start-up leaves them (their places do not matter here).
void meetVillagers() {
  for (int i = 0; i < 4; ++i) {
    villager[i].dialogStage = 1;
    villager[i].name = "Villager";
    villager[i].id = i;
  }
}

bool inVillage(int index) { return index >= 0 && index <= 3; }

struct DialogCase {
  const char* what;                     // the test's name
  const char* hero;                     // the hero's name
  int index;                            // the villager talked to
  int stage;                            // its stage before, passed as the loop does
  std::vector<std::string> rowAtWaits;  // row 6 at each key wait, in order
  int stageAfter;                       // villager[index].dialogStage afterwards
};

const DialogCase dialogCases[] = {
    {"Villager0First", "Ann", 0, 1, {"Villager: What the hell do you want? "}, 2},
    {"Villager0Later", "Ann", 0, 2, {"Villager: Buzz off!"}, 2},
    {"Villager1First", "Ann", 1, 1, {"Villager: Hi there! ", "Ann: Hello."}, 2},
    {"Villager1Second", "Ann", 1, 2,
     {"Villager: Where are your guys going?", "Ann: Sorry, I can't tell you."}, 3},
    {"Villager1Later", "Ann", 1, 3, {"Villager: Oh come on please tell me!", "Ann: No."}, 3},
    // The reply's tabs blank the 36 columns of the longer villager line.
    {"ShortReplyBlanksLongerLine", "A", 1, 3,
     {"Villager: Oh come on please tell me!", "A: No."}, 3},
    {"Villager2First", "Ann", 2, 1,
     {"Villager: Wanna buy some used food? ", "Ann: Ack! Get away from me! "}, 2},
    {"Villager2Later", "Ann", 2, 2,
     {"Villager: Come on! 3 for $5!", "Ann: I told you to back off! Leave me alone! "}, 2},
    {"Villager3Always", "Ann", 3, 1, {"Villager: I heard that Mydasiad has a large army... "}, 1},
    // No exchange: nothing written, no key taken, only the screen cleared.
    {"Villager0Stage3", "Ann", 0, 3, {}, 3},
    {"Villager1Stage4", "Ann", 1, 4, {}, 4},
    {"Villager1Stage0", "Ann", 1, 0, {}, 0},
    {"Villager2Stage3", "Ann", 2, 3, {}, 3},
    {"Villager3Stage2", "Ann", 3, 2, {}, 2},
    {"NegativeStage", "Ann", 0, -1, {}, -1},
    {"Index4", "Ann", 4, 1, {}, 0},
    {"NegativeIndex", "Ann", -1, 1, {}, 0},
    {"LargeIndex", "Ann", 1000000, 1, {}, 0},
    {"LowestIndex", "Ann", INT_MIN, 1, {}, 0},
    {"HighestIndex", "Ann", INT_MAX, 2, {}, 0},
};

// Failures name the case rather than dumping its bytes.
void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.what; }

class DialogTable : public GameTest, public ::testing::WithParamInterface<DialogCase> {};

TEST_P(DialogTable, PlaysTheExchangeThenClearsTheScreen) {
  const DialogCase& c = GetParam();
  buildParty(c.hero);
  meetVillagers();
  if (inVillage(c.index)) villager[c.index].dialogStage = c.stage;
  std::array<int, 4> stagesAfter = {1, 1, 1, 1};
  if (inVillage(c.index)) stagesAfter[c.index] = c.stageAfter;
  conio::gotoxy(30, 20);
  conio::cprintf("the village");  // something for the clearing to remove
  keys({"a", "b", "c"});

  EXPECT_TRUE(runUntilInputEnds([&] { showDialog(c.stage, c.index); }));

  ASSERT_EQ(reads.size(), c.rowAtWaits.size());
  for (size_t i = 0; i < reads.size(); ++i) EXPECT_EQ(reads[i].row(6), pad(c.rowAtWaits[i])) << "wait " << i;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(villager[i].dialogStage, stagesAfter[i]) << "villager " << i;
  Shot after = screenNow();
  for (int r = 1; r <= 25; ++r) EXPECT_EQ(after.row(r), pad("")) << "row " << r;
  EXPECT_EQ(after.x, 1);
  EXPECT_EQ(after.y, 1);
}

INSTANTIATE_TEST_SUITE_P(Conversations, DialogTable, ::testing::ValuesIn(dialogCases),
                         [](const auto& info) { return std::string(info.param.what); });

// Row 6 as the area drawing left it, with `text` written over its start.
std::string overArea(const std::string& text) { return text + std::string(80 - text.size(), '#'); }

class DialogTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    meetVillagers();
  }
};

// The line goes over the area without clearing it: trailing blanks and the
// reply's tabs blank what they pass, and the rest of the row stays visible.
TEST_F(DialogTest, WritesOverWhatRowSixHeld) {
  struct OverCase {
    const char* hero;
    int index, stage;
    std::vector<std::string> rowAtWaits;
  };
  const OverCase cases[] = {
      {"Ann", 0, 1, {overArea("Villager: What the hell do you want? ")}},
      {"A", 1, 3, {overArea("Villager: Oh come on please tell me!"), overArea("A: No." + std::string(34, ' '))}},
      {"Ann", 2, 1,
       {overArea("Villager: Wanna buy some used food? "),
        overArea("Ann: Ack! Get away from me! " + std::string(20, ' '))}},
  };
  for (const OverCase& c : cases) {
    SCOPED_TRACE(c.index);
    buildParty(c.hero);
    villager[c.index].dialogStage = c.stage;
    conio::gotoxy(1, 6);
    conio::cprintf("%s", std::string(80, '#').c_str());
    reads.clear();
    keys(std::vector<std::string>(c.rowAtWaits.size(), "k"));
    EXPECT_TRUE(runUntilInputEnds([&] { showDialog(c.stage, c.index); }));
    ASSERT_EQ(reads.size(), c.rowAtWaits.size());
    for (size_t i = 0; i < reads.size(); ++i) EXPECT_EQ(reads[i].row(6), c.rowAtWaits[i]);
  }
}

// Talking again and again, as the loop does with the stored stage: each talk
// goes on where the last one stopped, and the last exchange repeats.
TEST_F(DialogTest, ConversationGoesOnFromTheStoredStage) {
  buildParty("Ann");
  keys({std::string(10, 'k')});
  for (int talk = 0; talk < 5; ++talk) showDialog(villager[1].dialogStage, 1);
  std::vector<std::string> villagerLines;
  for (size_t i = 0; i < reads.size(); i += 2) villagerLines.push_back(reads[i].row(6));
  EXPECT_EQ(villagerLines, (std::vector<std::string>{
                               pad("Villager: Hi there! "),
                               pad("Villager: Where are your guys going?"),
                               pad("Villager: Oh come on please tell me!"),
                               pad("Villager: Oh come on please tell me!"),
                               pad("Villager: Oh come on please tell me!"),
                           }));
  EXPECT_EQ(villager[1].dialogStage, 3);
}

// A wait takes one byte: an arrow pressed at the last wait leaves its code for
// the exploration loop, which then moves the party.
TEST_F(DialogTest, ArrowAtTheLastWaitLeavesItsCodeForTheLoop) {
  buildParty("Ann");
  villager[0].dialogStage = 2;
  keys({rightKey});
  showDialog(2, 0);
  EXPECT_EQ(reads.size(), 1u);
  EXPECT_EQ(conio::_getch(), 77);
}

}  // namespace
