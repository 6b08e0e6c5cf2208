// Building the party and the mage's spell book at start-up.
#pragma once

#include <cstdint>
#include <string>

// Fills kazik with the spell book's starting values.
void getMagicInfo();
// Asks for the hero's name and fills member[0] to member[3].
void initializeStats();
// kind 1: a member's name (index 0 asks the player); kind 2: a class name.
std::string getNameOrClass(int kind, int index);
// kind 1: maxHp, kind 2: atk, any other kind: def, of the class at classIndex.
std::int32_t getStats(int kind, int classIndex);
