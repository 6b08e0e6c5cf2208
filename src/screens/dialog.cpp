// The villagers' conversations: one exchange per talk, written over the area
// on the row below the debug read-out and held by key waits, after which the
// screen is cleared for the exploration loop to redraw.
#include "screens/dialog.h"

#include <ostream>
#include <string>

#include "console/keyboard.h"
#include "console/screen.h"
#include "game/state.h"

using namespace conio;

namespace {

// One exchange of a villager's conversation. A villager's last exchange keeps
// its stage, so it plays again at every later talk.
struct exchange {
  int index;          // the villager who speaks
  int stage;          // the villager's stage at which this exchange plays
  const char* line;   // the villager's line, written after the villager's name
  int stageAfter;     // the stage the next talk starts from
  const char* reply;  // the hero's reply, written after the hero's name; nullptr: none
};

// The replies end in tabs that blank the rest of the villager's line.
constexpr exchange conversations[] = {
    {0, 1, ": What the hell do you want? ", 2, nullptr},
    {0, 2, ": Buzz off!", 2, nullptr},
    {1, 1, ": Hi there! ", 2, ": Hello.\t\t"},
    {1, 2, ": Where are your guys going?", 3, ": Sorry, I can't tell you.\t\t\t"},
    {1, 3, ": Oh come on please tell me!", 3, ": No.\t\t\t\t\t"},
    {2, 1, ": Wanna buy some used food? ", 2, ": Ack! Get away from me! \t\t\t"},
    {2, 2, ": Come on! 3 for $5!", 2, ": I told you to back off! Leave me alone! \t\t"},
    {3, 1, ": I heard that Mydasiad has a large army... ", 1, nullptr},
};

// The exchange for this villager and stage, or nullptr when there is none
// (an index outside the village included, so villager[] is never read for it).
const exchange* findExchange(int stage, int index) {
  for (const exchange& row : conversations)
    if (row.index == index && row.stage == stage) return &row;
  return nullptr;
}

// One speech on row 6, over whatever the area drawing left there.
void say(const std::string& speaker, const char* text) {
  gotoxy(1, 6);
  conout << speaker << text << std::endl;
}

}  // namespace

void showDialog(int stage, int index) {
  if (const exchange* row = findExchange(stage, index)) {
    NPC& speaker = villager[index];
    say(speaker.name, row->line);
    if (row->stageAfter > row->stage) speaker.dialogStage += 1;
    _getch();
    if (row->reply != nullptr) {
      say(member[0].name, row->reply);
      _getch();
    }
  }
  clrscr();
}
