// The party status screen: the four members side by side, one block each in
// the order of member[], the mage's MP and spells under the fourth block, and
// the prompt under the first. It only draws; the key wait and the clearing
// around it belong to the caller.
//
// Each block lines its colons up in one column, and later text overwrites
// earlier text where they meet (a long hero name runs under the second block).
#include "screens/status.h"

#include <ostream>

#include "console/screen.h"
#include "game/state.h"

using namespace conio;

namespace {

// Where the second and third blocks stand. The status label is one character
// wider than the others, so it starts a column further left to keep the colon
// in line.
struct blockPlace {
  int member;        // whose block
  int column;        // column of the block's lines
  int statusColumn;  // column of its status line
};
constexpr blockPlace middleBlocks[] = {
    {1, 22, 21},
    {2, 41, 40},
};

// The status line; a member whose alive is neither 1 nor 0 has none.
const char* statusText(const stats& m) {
  if (m.alive == 1) return "Status: Alive\n\n";
  if (m.alive == 0) return "Status: Dead\n\n";
  return nullptr;
}

// The status line at a place; the cursor moves only when there is a line.
void statusAt(const stats& m, int column, int row) {
  if (const char* text = statusText(m)) {
    gotoxy(column, row);
    cprintf("%s", text);
  }
}

// The hero's block, written from the cursor: the caller has just cleared the
// screen, so it starts at column 1, row 1, and each line ends on the next row.
void heroBlock(const stats& m) {
  conout << "  NAME: " << m.name << " (lv." << m.level << ")" << std::endl;
  conout << " CLASS: " << m.className << std::endl;
  cprintf("    HP: %d / %d\n", m.hp, m.maxHp);
  cprintf("   ATK: %d\n", m.atk);
  cprintf("   DEF: %d\n", m.def);
  cprintf("   EXP: %d\n", m.exp);
  cprintf(" Kills: %d\n", m.kills);
  if (const char* text = statusText(m)) cprintf("%s", text);
}

// Rows 1 to 3 of the other blocks.
void headLines(const stats& m, int column) {
  gotoxy(column, 1); conout << " NAME: " << m.name << " (lv." << m.level << ")" << std::endl;
  gotoxy(column, 2); conout << "CLASS: " << m.className << std::endl;
  gotoxy(column, 3); cprintf("   HP: %d / %d\n", m.hp, m.maxHp);
}

// The fighting lines of the other blocks, from firstRow down; the mage's MP
// line pushes them one row lower in the fourth block.
void fightLines(const stats& m, int column, int firstRow) {
  gotoxy(column, firstRow);     cprintf("  ATK: %d\n", m.atk);
  gotoxy(column, firstRow + 1); cprintf("  DEF: %d\n", m.def);
  gotoxy(column, firstRow + 2); cprintf("  EXP: %d\n", m.exp);
  gotoxy(column, firstRow + 3); cprintf("Kills: %d\n\n", m.kills);
}

// The spells the mage knows, every name from column 67; Flame follows
// "Magic: " straight on, so the row shows just the label when it is unknown.
void spellLines() {
  gotoxy(60, 10);
  cprintf("Magic: ");
  conout.flush();
  if (kazik.knowsFlame) cprintf("Flame\n");
  if (kazik.knowsBlizzard) {
    gotoxy(67, 11);
    cprintf("Blizzard\n");
  }
  if (kazik.knowsReaper) {
    gotoxy(67, 12);
    cprintf("Reaper\n");
  }
}

// The mage's block: its MP under HP, its spells under the block, and its
// status line last, one row lower than the others'.
void mageBlock(const stats& m) {
  headLines(m, 60);
  gotoxy(60, 4); cprintf("   MP: %d / %d\n", kazik.mp, kazik.maxMp);
  fightLines(m, 60, 5);
  spellLines();
  statusAt(m, 59, 9);
}

}  // namespace

void viewStats() {
  heroBlock(member[0]);
  for (const blockPlace& block : middleBlocks) {
    const stats& m = member[block.member];
    headLines(m, block.column);
    fightLines(m, block.column, 4);
    statusAt(m, block.statusColumn, 8);
  }
  mageBlock(member[3]);
  gotoxy(5, 11);
  cprintf("Press any key to return to game...\n");
}
