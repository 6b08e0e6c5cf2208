// Building the party: the spell book, the four members, and the name prompt.
#include "game/party.h"

#include "console/keyboard.h"
#include "console/screen.h"
#include "game/state.h"

using namespace conio;

namespace {

// The class table, by class index (which is also the member's index).
struct classRow {
  const char* name;       // the member's name; the hero's is typed instead
  const char* className;  // the class's name
  std::int32_t maxHp;     // maximum and starting hit points
  std::int32_t atk;       // attack
  std::int32_t def;       // defence
};
constexpr classRow classTable[4] = {
    {"", "Hero", 5, 4, 3},
    {"Shyde", "Archer", 4, 5, 2},
    {"Rune", "Knight", 3, 4, 4},
    {"Kazik", "Mage", 2, 1, 2},
};

// Indexes other than 0 to 2 fall to the mage's row, as the name and class
// lookups do for any index they do not know.
const classRow& rowFor(int index) { return classTable[index >= 0 && index <= 2 ? index : 3]; }

std::string askHeroName() {
  gotoxy(1, 2);
  cprintf("[Note: Only one word]\n\n Help:\nENTER - View Stats\n'q' or Esc - Quit\nArrow keys move.\n");
  gotoxy(1, 1);
  cprintf("Enter main character's name: ");
  conout.flush();
  return readWord();
}

}  // namespace

void getMagicInfo() {
  kazik.maxMp = 4;
  kazik.mp = kazik.maxMp;
  kazik.flameCost = 2;
  kazik.flameDamage = 4;
  kazik.blizzardCost = 8;
  kazik.blizzardDamage = 10;
  kazik.reaperCost = 20;
  kazik.reaperDamage = 30;
  kazik.knowsFlame = true;
  kazik.knowsBlizzard = false;
  kazik.knowsReaper = false;
}

void initializeStats() {
  for (int i = 0; i < 4; ++i) {
    stats& m = member[i];
    m.name = getNameOrClass(1, i);
    m.className = getNameOrClass(2, i);
    m.maxHp = getStats(1, i);
    m.atk = getStats(2, i);
    m.def = getStats(3, i);
    m.hp = m.maxHp;
    m.level = 1;
    m.alive = 1;
    m.exp = 25;
    m.levelExp = m.exp;
    m.kills = 0;
    m.classId = i;
  }
}

std::string getNameOrClass(int kind, int index) {
  if (kind == 1) return index == 0 ? askHeroName() : rowFor(index).name;
  if (kind == 2) return rowFor(index).className;
  return "";  // no caller asks for another kind
}

std::int32_t getStats(int kind, int classIndex) {
  // Class indexes outside 0..3 are never passed; they read the mage's row
  // rather than memory beyond the table.
  const classRow& row = rowFor(classIndex);
  if (kind == 1) return row.maxHp;
  if (kind == 2) return row.atk;
  return row.def;
}
