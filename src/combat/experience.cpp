// What a victory pays: a double share of the opponent's experience to the
// member who killed it and a single share to every other living member, the
// kill counted, then at most one level for each member whose remaining
// experience has run out, each on a screen of its own between key waits.
#include "combat/experience.h"

#include <cstdint>
#include <ostream>

#include "console/keyboard.h"
#include "console/screen.h"
#include "game/state.h"

using conio::conout;
using std::endl;

namespace {

// What a level-up can raise, by one each time.
enum class stat { atk, def, maxHp, maxMp };

// The gains of each class, in the order they are applied and shown; the lines
// of one level-up screen are the rows of its class, the even-level ones only
// when the new level is even.
struct gainRow {
  std::int32_t classId;  // the class that gains
  bool evenLevelsOnly;   // true: only when the new level is even
  stat raised;           // what rises by 1 (maxMp is the spell book's)
  const char* line;      // the line that says so
};
constexpr gainRow gainTable[] = {
    {0, true, stat::atk, "ATK + 1"},
    {0, true, stat::def, "DEF + 1"},
    {0, false, stat::maxHp, "MAX HP + 1"},
    {1, true, stat::def, "DEF + 1"},
    {1, true, stat::maxHp, "MAX HP + 1"},
    {1, false, stat::atk, "ATK +1 "},
    {2, true, stat::atk, "ATK + 1"},
    {2, true, stat::maxHp, "MAX HP + 1"},
    {2, false, stat::def, "DEF + 1"},
    {3, true, stat::atk, "ATK + 1"},
    {3, true, stat::def, "DEF + 1"},
    {3, true, stat::maxHp, "MAX HP + 1"},
    {3, false, stat::maxMp, "MAX MP + 1"},
};

// Spells a class learns on reaching a level, shown after its gains.
struct lessonRow {
  std::int32_t classId;     // the class that learns it
  std::int32_t level;       // the new level at which it is learnt
  bool magicInfo::*known;   // the spell book's flag it sets
  const char* line;         // the line that says so
};
constexpr lessonRow lessonTable[] = {
    {3, 15, &magicInfo::knowsBlizzard, "Learned new Blizzard Spell!"},
    {3, 30, &magicInfo::knowsReaper, "Learned new Reaper Spell!"},
};

void showShare(int index, std::int32_t amount) {
  conout << member[index].name << " recieves " << amount << " experiance!" << endl;
}

// Every award line is written before any experience changes.
void announceAward(int killer, std::int32_t value) {
  showShare(killer, 2 * value);
  for (int j = 0; j < 4; ++j) {
    if (j != killer && member[j].alive != 0) showShare(j, value);
  }
}

void payAward(int killer, std::int32_t value) {
  member[killer].kills += 1;
  member[killer].exp -= 2 * value;
  for (int j = 0; j < 4; ++j) {
    if (j != killer && member[j].alive != 0) member[j].exp -= value;
  }
}

void raiseStat(stats& m, stat raised) {
  switch (raised) {
    case stat::atk: m.atk += 1; break;
    case stat::def: m.def += 1; break;
    case stat::maxHp: m.maxHp += 1; break;
    case stat::maxMp: kazik.maxMp += 1; break;
  }
}

// The even-level gains come first in the table, so one pass keeps their order.
void applyGains(stats& m) {
  const bool evenLevel = m.level % 2 == 0;
  for (const gainRow& gain : gainTable) {
    if (gain.classId != m.classId || (gain.evenLevelsOnly && !evenLevel)) continue;
    raiseStat(m, gain.raised);
    conout << gain.line << endl;
  }
  for (const lessonRow& lesson : lessonTable) {
    if (lesson.classId != m.classId || lesson.level != m.level || kazik.*lesson.known) continue;
    kazik.*lesson.known = true;
    conout << lesson.line << endl;
  }
  m.hp = m.maxHp;
  conout << "HP Completly restored!" << endl;
}

// One level, whatever the award went past 0: the rest is lost. The screen
// before it stays until a key, and so does the level-up screen.
void levelUp(stats& m) {
  conio::_getch();
  m.level += 1;
  m.levelExp += 3 * m.level;
  m.exp = m.levelExp;
  conio::clrscr();
  conout << endl;
  conout << m.name << " leveled up!" << endl;
  conout << m.name << " is now level " << m.level << "!" << endl;
  conout << endl;
  applyGains(m);
  conio::_getch();
}

}  // namespace

void getExp(int killer, int value) {
  announceAward(killer, value);
  payAward(killer, value);
  for (stats& m : member) {
    if (m.exp <= 0) levelUp(m);
  }
}
