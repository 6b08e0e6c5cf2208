// The map: the party glyph, the village's buildings, and who stands near the party.
#include "explore/map.h"

#include "console/screen.h"
#include "game/state.h"

using namespace conio;

namespace {

// The map's glyphs, as code page 437 bytes.
constexpr int partyGlyph = 2;    // black smiling face
constexpr int wallGlyph = 219;   // full block
constexpr int doorGlyph = 177;   // medium shade

// A building is a solid block drawn column by column, top to bottom; the door
// goes last, over its wall cell.
void drawBuilding(const building& b) {
  for (int i = 0; i < b.width; ++i) {
    for (int j = 0; j < b.height; ++j) {
      gotoxy(b.x + i, b.y + j);
      cprintf("%c\n", wallGlyph);
    }
  }
  gotoxy(b.doorX, b.doorY);
  cprintf("%c\n", doorGlyph);
}

// Whether (vx, vy) is (x, y) or one of its four neighbours.
bool onOrNextTo(int vx, int vy, int x, int y) {
  return (vx == x - 1 && vy == y) || (vx == x + 1 && vy == y) || (vx == x && vy == y + 1) ||
         (vx == x && vy == y - 1) || (vx == x && vy == y);
}

}  // namespace

void drawCharacterAndMask(int x, int y) {
  // One of the four blanks falls on the party's old cell and erases it.
  gotoxy(x - 1, y);
  cprintf(" ");
  gotoxy(x + 1, y);
  cprintf(" ");
  gotoxy(x, y - 1);
  cprintf(" ");
  gotoxy(x, y + 1);
  cprintf(" ");
  gotoxy(x, y);
  cprintf("%c", partyGlyph);
  conout.flush();
}

void drawShop(bool first, bool second) {
  if (first) drawBuilding(weaponShop);
  if (second) drawBuilding(itemShop);
}

bool checkVillage() { return area == 1; }

bool checkIfNPC(int x, int y) {
  bool found = false;
  // All four are always looked at, so the last one in index order wins.
  for (const NPC& v : villager) {
    if (onOrNextTo(v.x, v.y, x, y)) {
      talkingWith = v.id;
      found = true;
    }
  }
  return found;
}
