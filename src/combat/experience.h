// What a victory pays: experience shares, the kill, and level-ups.
#pragma once

// killer: index of the member credited with the kill (3 for a spell);
// value: the opponent's exp.
void getExp(int killer, int value);
