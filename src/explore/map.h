// Drawing the map and looking at the party's surroundings.
#pragma once

// Draws the party glyph at (x, y) and blanks its four neighbours.
void drawCharacterAndMask(int x, int y);
// Draws weaponShop when first is true and itemShop when second is true.
void drawShop(bool first, bool second);
// Whether the current area is the village.
bool checkVillage();
// Whether a villager stands on (x, y) or next to it; sets talkingWith when one does.
bool checkIfNPC(int x, int y);
