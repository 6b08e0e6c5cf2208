// The villagers' conversations.
#pragma once

// Plays the exchange of villager index at the given stage, then clears the screen.
void showDialog(int stage, int index);
