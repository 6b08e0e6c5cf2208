// The party status screen.
#pragma once

// Draws the four members' blocks, the mage's MP and spells, and the prompt.
void viewStats();
