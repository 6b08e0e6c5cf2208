// The global records. Defined in one place and in this order, so that they are
// built villagers first and destroyed party first.
#include "game/state.h"

NPC villager[4];
stats member[4];
magicInfo kazik;
building weaponShop;
building itemShop;
std::int32_t talkingWith = 1;
std::int32_t area = 1;
bool allDead = false;

void resetGameState() {
  for (NPC& v : villager) v = NPC{};
  for (stats& m : member) m = stats{};
  kazik = magicInfo{};
  weaponShop = building{};
  itemShop = building{};
  talkingWith = 1;
  area = 1;
  allDead = false;
}
