// The exploration loop: start-up, then one pass per key byte read. Every other
// screen (status, a conversation, a battle) is called from inside a pass and
// returns to it.
#include "explore/loop.h"

#include <cstdlib>
#include <ctime>
#include <string>

#include "combat/battle.h"
#include "console/keyboard.h"
#include "console/screen.h"
#include "explore/map.h"
#include "game/party.h"
#include "game/random.h"
#include "game/state.h"
#include "screens/dialog.h"
#include "screens/status.h"

using namespace conio;

namespace {

constexpr int partyGlyph = 2;        // black smiling face
constexpr int villagerGlyph = 1;     // white smiling face
constexpr int villageExitGlyph = 177;  // medium shade
constexpr int fieldExitGlyph = 178;    // dark shade
constexpr char escapeKey = 27;
constexpr char quitKey = 'q';

// The loop's own state, alive for the whole run.
struct loopState {
  char key = 0;                // the last key byte read; the quit test looks at it
  int xpos = 3;                // the party's column
  int ypos = 10;               // the party's row
  int villagerCount = 4;       // villagers placed and drawn
  bool insideVillage = true;   // checkVillage(), taken afresh every pass
  bool personThere = false;    // a villager on or next to the party, as of the last move
  int encounterRoll = 0;       // 0..100, drawn at the start of every pass in the field
  int exitX = 0, exitY = 0;    // the exit's cell
  int xposShown = 0;           // length of the "Xpos: " text last written on row 1
  int yposShown = 0;           // length of the "Ypos: " text last written on row 2
};

void placeVillagers() {
  for (int i = 0; i < 4; ++i) {
    villager[i].x = gameRand() % 79;
    villager[i].y = gameRand() % 24;
    villager[i].dialogStage = 1;
    villager[i].name = "Villager";
    villager[i].id = i;
  }
}

void drawParty(const loopState& s) {
  gotoxy(s.xpos, s.ypos);
  cprintf("%c", partyGlyph);
  conout.flush();
}

void drawArea(loopState& s) {
  if (area == 1) {
    weaponShop = building{50, 3, 5, 5, 52, 7};
    itemShop = building{55, 15, 5, 5, 57, 19};
    s.exitX = 10;
    s.exitY = 10;
    gotoxy(s.exitX, s.exitY);
    cprintf("%c\n", villageExitGlyph);
    drawShop(true, true);
  } else if (area == 2) {
    s.encounterRoll = gameRand() % 101;
    s.exitX = 10;
    s.exitY = 10;
    gotoxy(s.exitX, s.exitY);
    cprintf("%c\n", fieldExitGlyph);
  }
}

void drawVillagers(const loopState& s) {
  if (!s.insideVillage) return;
  for (int i = 0; i < s.villagerCount; ++i) {
    gotoxy(villager[i].x, villager[i].y);
    cprintf("%c", villagerGlyph);
    conout.flush();
  }
}

// A position text followed by as many blanks as it is shorter than the one
// last written on its row, so that no old digit is left standing after it.
std::string coverOld(const std::string& text, int& lastShown) {
  std::string covered = text;
  if (static_cast<int>(text.size()) < lastShown) covered.append(lastShown - text.size(), ' ');
  lastShown = static_cast<int>(text.size());
  return covered;
}

void writeReadout(loopState& s) {
  gotoxy(1, 1);
  std::string xText = coverOld("Xpos: " + std::to_string(s.xpos), s.xposShown);
  std::string yText = coverOld("Ypos: " + std::to_string(s.ypos), s.yposShown);
  cprintf("%s\n%s\n", xText.c_str(), yText.c_str());
  gotoxy(1, 3);
  cprintf("%s", s.personThere && s.insideVillage ? "personThere = true \n" : "personThere = false\n");
  gotoxy(1, 4);
  cprintf("%s", s.insideVillage ? "insideVillage = true \n" : "insideVillage = false\n");
  gotoxy(1, 5);
  cprintf("Area: %d\n", area);
}

void gameOverScreen() {
  gotoxy(40, 15);
  cprintf("All members of your party has died...\n");
  gotoxy(45, 16);
  cprintf("GAME OVER!\n");
  _getch();
  clrscr();
}

void move(loopState& s) {
  drawCharacterAndMask(s.xpos, s.ypos);
  s.personThere = checkIfNPC(s.xpos, s.ypos);
}

void readAndActOnKey(loopState& s) {
  s.key = static_cast<char>(_getch());
  switch (s.key) {
    case up: --s.ypos; move(s); break;
    case down: ++s.ypos; move(s); break;
    case leftArw: --s.xpos; move(s); break;
    case rightArw: ++s.xpos; move(s); break;
    case enterBtn:
      clrscr();
      viewStats();
      _getch();
      clrscr();
      break;
    case spaceBar:
      if (s.personThere && s.insideVillage) showDialog(villager[talkingWith].dialogStage, talkingWith);
      break;
    default: break;  // the quit keys act at the top of the next pass
  }
}

void exitTest(loopState& s) {
  if (s.xpos != s.exitX || s.ypos != s.exitY) return;
  clrscr();
  area = area == 1 ? 2 : 1;
  ++s.xpos;
  drawParty(s);
}

void encounterTest(const loopState& s) {
  if (s.encounterRoll == 10 && !s.insideVillage) {
    clrscr();
    battle();
  }
}

}  // namespace

int gameMain() {
  loopState s;
  s.key = static_cast<char>(_kbhit());
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  getMagicInfo();
  placeVillagers();
  initializeStats();
  clrscr();
  drawParty(s);

  for (;;) {
    if (s.key == escapeKey || s.key == quitKey) {
      clrscr();
      return 0;
    }
    drawArea(s);
    s.insideVillage = checkVillage();
    drawVillagers(s);
    writeReadout(s);
    if (allDead) {
      gameOverScreen();
      return 0;
    }
    readAndActOnKey(s);
    exitTest(s);
    encounterTest(s);
  }
}
