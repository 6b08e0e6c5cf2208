// One battle against a single opponent: its choice from the opponent table,
// the cycles of member turns and the opponent's strike, and the end by victory
// (experience through getExp), a successful flight or the party's death.
//
// Every page starts with clrscr and is written line by line; the opponent's
// strike is written under the last page shown. The opponent lives for one call.
#include "combat/battle.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <ostream>

#include "combat/experience.h"
#include "console/keyboard.h"
#include "console/screen.h"
#include "game/random.h"
#include "game/state.h"

using conio::conout;
using std::endl;

namespace {

constexpr std::int32_t mageClass = 3;  // classId of the one member with MP and spells
constexpr int spellKiller = 3;         // the member credited with a kill by spell
constexpr int fleeDraw = 3;            // the flight draw (of ten) that gets away

// The opponents, looked up by the opening draw.
struct opponentRow {
  int draw;           // the opening draw that picks this opponent
  const char* name;   // shown on every page and in the battle's lines
  std::int32_t hp;    // hit points
  std::int32_t def;   // taken off a member's attack
  std::int32_t atk;   // the struck member's def is taken off it
  std::int32_t exp;   // experience paid out on its death
};
constexpr opponentRow opponentTable[] = {
    {0, "Wounded Driniad Soldier", 7, 3, 4, 2},
    {1, "Driniad Soldier", 10, 3, 5, 4},
    {3, "Driniad Captian", 30, 6, 10, 20},  // the opening draw (modulo 2) never picks it
};

// The mage's spells, in the order of the magic page; their numbers live in kazik.
struct spellRow {
  char key;                          // lower-case letter on the magic page
  const char* menuText;              // the page's line, followed by the cost
  const char* castText;              // after the mage's name
  const char* effectText;            // after the opponent's name, before the damage
  std::int32_t magicInfo::*cost;     // MP it takes
  std::int32_t magicInfo::*damage;   // taken off the opponent's hp; def plays no part
  bool magicInfo::*known;            // whether the mage has learnt it
};
constexpr spellRow spellTable[] = {
    {'f', "(F)lame (", " casts Flame!", " burns for ", &magicInfo::flameCost, &magicInfo::flameDamage,
     &magicInfo::knowsFlame},
    {'b', "(B)lizzard (", " casts Blizzard!", " freezes for ", &magicInfo::blizzardCost,
     &magicInfo::blizzardDamage, &magicInfo::knowsBlizzard},
    {'r', "(R)eaper (", " casts Reaper!", "'s soul is ravaged for ", &magicInfo::reaperCost,
     &magicInfo::reaperDamage, &magicInfo::knowsReaper},
};

// How a member's turn leaves the battle.
enum class turnEnd { battleGoesOn, battleOver };

// Menu letters count in either case.
bool isKey(int key, char lowerCaseLetter) {
  return key == lowerCaseLetter || key == lowerCaseLetter - 'a' + 'A';
}

bool isMage(const stats& m) { return m.classId == mageClass; }

// Attack less defence; a blow never heals.
std::int32_t blowDamage(std::int32_t atk, std::int32_t def) { return atk > def ? atk - def : 0; }

// The opponent's row for an opening draw. A draw with no row is reported, and
// the battle is then fought against the first row rather than against an
// opponent with no name and no hit points, which would die to any blow.
const opponentRow& opponentFor(int draw) {
  for (const opponentRow& row : opponentTable) {
    if (row.draw == draw) return row;
  }
  conio::cprintf("OUT OF RANGE MONSTER SELECTED!!!!\n");
  conio::_getch();
  return opponentTable[0];
}

void fillOpponent(monster& enemy, int draw) {
  const opponentRow& row = opponentFor(draw);
  enemy.name = row.name;
  enemy.hp = row.hp;
  enemy.def = row.def;
  enemy.atk = row.atk;
  enemy.exp = row.exp;
}

// A member brought to 0 HP or less dies; HP is never shown below 0.
void expireIfFallen(stats& m) {
  if (m.hp > 0) return;
  m.hp = 0;
  m.alive = 0;
  conout << m.name << " expires... " << endl;
}

void showMp(const stats& mage) {
  conout << mage.name << " MP: " << kazik.mp << "/" << kazik.maxMp << endl;
}

void showOpponentHp(const monster& enemy) { conout << enemy.name << "'s HP: " << enemy.hp << endl; }

void livingMemberPage(const stats& m, const monster& enemy) {
  conio::clrscr();
  conout << m.name << " HP: " << m.hp << "/" << m.maxHp << endl;
  if (isMage(m)) showMp(m);
  showOpponentHp(enemy);
  conout << m.name << "'s turn!" << endl;
  conout << endl;
  conout << "(A)ttack" << endl;
  if (isMage(m)) conout << "(M)agic" << endl;
  conout << "(R)un" << endl;
  conout << endl;
}

void deadMemberPage(const stats& m, const monster& enemy) {
  conio::clrscr();
  conout << "HP: " << m.hp << "/" << m.maxHp << endl;
  showOpponentHp(enemy);
  conout << m.name << "'s turn!" << endl;
  conout << endl;
  conout << m.name << " is dead and cannot move... " << endl;
  conio::_getch();
}

// The mage's name on the first line is fixed text: the mage is always Kazik.
void magicPage(const stats& mage, const monster& enemy) {
  conio::clrscr();
  conout << "Kazik HP: " << mage.hp << "/" << mage.maxHp << endl;
  showMp(mage);
  showOpponentHp(enemy);
  conout << endl;
  conout << "Cast which:" << endl;
  for (const spellRow& spell : spellTable) {
    if (kazik.*spell.known) conout << spell.menuText << kazik.*spell.cost << " MP)" << endl;
  }
}

turnEnd victory(int killer, const monster& enemy) {
  conout << endl;
  conout << enemy.name << " expires! " << endl;
  conout << endl;
  getExp(killer, enemy.exp);
  return turnEnd::battleOver;
}

turnEnd attack(int index, monster& enemy) {
  const stats& m = member[index];
  const std::int32_t damage = blowDamage(m.atk, enemy.def);
  enemy.hp -= damage;
  conout << m.name << " attacks!" << endl;
  conout << enemy.name << " recieves " << damage << " damage!" << endl;
  if (enemy.hp <= 0) return victory(index, enemy);
  conio::_getch();
  return turnEnd::battleGoesOn;
}

turnEnd run(stats& m, const monster& enemy) {
  conout << m.name << " attempts to run....";
  if (gameRand() % 10 == fleeDraw) {
    conout << " and manages to flee! " << endl;
    conout << "Battle Ended";
    return turnEnd::battleOver;
  }
  const std::int32_t damage = blowDamage(enemy.atk, m.def);
  m.hp -= damage;
  conout << " but can't!" << endl;
  conout << m.name << " recieves " << damage << " damage!" << endl;
  expireIfFallen(m);
  conio::_getch();
  return turnEnd::battleGoesOn;
}

// The learnt spell a magic page key names, or none.
const spellRow* learntSpellFor(int key) {
  for (const spellRow& spell : spellTable) {
    if (isKey(key, spell.key) && kazik.*spell.known) return &spell;
  }
  return nullptr;
}

void cast(const spellRow& spell, const stats& mage, monster& enemy) {
  const std::int32_t cost = kazik.*spell.cost;
  if (kazik.mp < cost) {
    conout << endl;
    conout << "Not enough MP" << endl;
    return;
  }
  const std::int32_t damage = kazik.*spell.damage;
  enemy.hp -= damage;
  kazik.mp = std::max(kazik.mp - cost, 0);
  conout << endl;
  conout << mage.name << spell.castText << endl;
  conout << enemy.name << spell.effectText << damage << " damage!" << endl;
}

// An unknown key or an unlearnt spell ends the turn silently; the turn never
// ends in a key wait here.
turnEnd magic(const stats& mage, monster& enemy) {
  magicPage(mage, enemy);
  if (const spellRow* spell = learntSpellFor(conio::_getch())) cast(*spell, mage, enemy);
  if (enemy.hp <= 0) return victory(spellKiller, enemy);
  return turnEnd::battleGoesOn;
}

// The page is shown again, for the same member, until a key of its menu comes.
turnEnd livingMemberTurn(int index, monster& enemy) {
  stats& m = member[index];
  for (;;) {
    livingMemberPage(m, enemy);
    const int key = conio::_getch();
    if (isKey(key, 'a')) return attack(index, enemy);
    if (isKey(key, 'r')) return run(m, enemy);
    if (isKey(key, 'm') && isMage(m)) return magic(m, enemy);
  }
}

// Members 0 to 3 in order; a turn that ends the battle stops the rest.
turnEnd membersTurns(monster& enemy) {
  for (int i = 0; i < 4; ++i) {
    if (member[i].alive == 0) {
      deadMemberPage(member[i], enemy);
    } else if (livingMemberTurn(i, enemy) == turnEnd::battleOver) {
      return turnEnd::battleOver;
    }
  }
  return turnEnd::battleGoesOn;
}

// The opponent strikes one place of the party at random; a dead member's
// place wastes the strike.
void opponentStep(const monster& enemy) {
  stats& target = member[gameRand() % 4];
  conout << endl;
  if (target.alive == 0) {
    conout << enemy.name << " attacks! " << endl;
    conout << "...but " << target.name << " is already dead and can recieve no more damage." << endl;
    return;
  }
  const std::int32_t damage = blowDamage(enemy.atk, target.def);
  target.hp -= damage;
  conout << enemy.name << " attacks!" << endl;
  conout << target.name << " suffers " << damage << " damage!" << endl;
  conout << endl;
  expireIfFallen(target);
}

bool wholePartyDead() {
  return std::all_of(std::begin(member), std::end(member), [](const stats& m) { return m.alive == 0; });
}

}  // namespace

void battle() {
  monster enemy;  // empty name until the table fills it
  fillOpponent(enemy, gameRand() % 2);
  bool battleOn = true;
  while (battleOn) {
    if (membersTurns(enemy) == turnEnd::battleOver) {
      battleOn = false;
    } else {
      opponentStep(enemy);
    }
    conio::_getch();
    if (wholePartyDead()) {
      allDead = true;
      battleOn = false;
    }
  }
  conio::_getch();
  conio::clrscr();
}
