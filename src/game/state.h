// The game's records and the global state that outlives any single call.
//
// Plain records with public fields; other modules' free functions read and write
// them directly. Records refer to each other by index, never by pointer.
#pragma once

#include <cstdint>
#include <string>

// One party member. Its index in member[] is also its class index and classId.
struct stats {
  std::int32_t def = 0;       // defence: taken off the opponent's attack on this member
  std::int32_t hp = 0;        // current hit points; 0 once dead
  std::int32_t maxHp = 0;     // maximum hit points
  std::int32_t atk = 0;       // attack: the opponent's def is taken off it
  std::int32_t level = 0;     // 1 upwards, one step at a time
  std::int32_t alive = 0;     // 1 while alive, 0 once dead; never back to 1
  std::int32_t exp = 0;       // experience still needed for the next level; counts down
  std::int32_t levelExp = 0;  // span of the current level; exp is reset to it at a level-up
  std::int32_t kills = 0;     // opponents this member has killed
  std::int32_t classId = 0;   // 0 Hero, 1 Archer, 2 Knight, 3 Mage: the member's index
  std::string name;           // the member's name
  std::string className;      // the class's name
};

// One villager of the village.
struct NPC {
  std::int32_t x = 0;            // column of the glyph (0..78: column 0 lies off the screen)
  std::int32_t y = 0;            // row of the glyph (0..23: row 0 lies off the screen)
  std::int32_t dialogStage = 0;  // how far the conversation has gone; starts at 1
  std::int32_t id = 0;           // own index in villager[]
  std::string name;              // "Villager" for all four
};

// The opponent of one battle; lives for one call of battle().
struct monster {
  std::int32_t def = 0;  // defence: taken off a member's atk
  std::int32_t hp = 0;   // hit points; may end below 0
  std::int32_t atk = 0;  // attack: the struck member's def is taken off it
  std::int32_t exp = 0;  // experience the opponent is worth
  std::string name;      // the opponent's name
};

// The mage's MP and spell book.
struct magicInfo {
  std::int32_t mp = 0;              // current MP; never below 0
  std::int32_t maxMp = 0;           // maximum MP; +1 at each of the mage's level-ups
  std::int32_t flameCost = 0;       // MP cost of Flame
  std::int32_t flameDamage = 0;     // damage of Flame
  std::int32_t blizzardCost = 0;    // MP cost of Blizzard
  std::int32_t blizzardDamage = 0;  // damage of Blizzard
  std::int32_t reaperCost = 0;      // MP cost of Reaper
  std::int32_t reaperDamage = 0;    // damage of Reaper
  bool knowsFlame = false;          // Flame learnt
  bool knowsBlizzard = false;       // Blizzard learnt (level 15)
  bool knowsReaper = false;         // Reaper learnt (level 30)
};

// A solid rectangle of the village map with a door.
struct building {
  std::int32_t x = 0;       // column of the top-left cell
  std::int32_t y = 0;       // row of the top-left cell
  std::int32_t height = 0;  // rows
  std::int32_t width = 0;   // columns
  std::int32_t doorX = 0;   // column of the door
  std::int32_t doorY = 0;   // row of the door
};

extern NPC villager[4];        // the four villagers; placed at start-up, never moved
extern stats member[4];        // the party in order: Hero, Archer, Knight, Mage
extern magicInfo kazik;        // member 3's MP and spells
extern building weaponShop;    // the upper building of the village
extern building itemShop;      // the lower building of the village
extern std::int32_t talkingWith;  // villager last found next to the party; starts 1
extern std::int32_t area;         // 1 the village, 2 the field; starts 1
extern bool allDead;              // the whole party has died; never back to false

// Puts every global back as it stands when the program starts. The game never
// does this; harnesses that play it more than once in one process do.
void resetGameState();

// Key bytes the exploration loop acts on.
constexpr char up = 'H';         // up arrow's second byte, or H
constexpr char down = 'P';       // down arrow's second byte, or P
constexpr char leftArw = 'K';    // left arrow's second byte, or K
constexpr char rightArw = 'M';   // right arrow's second byte, or M
constexpr char enterBtn = '\r';  // Enter
constexpr char spaceBar = ' ';   // Space
