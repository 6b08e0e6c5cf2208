// The one source of the game's random draws. Its default is std::rand; tests
// replace it with scripted draws so that every battle and roll is fixed.
#pragma once

#include <functional>

// The next draw: a non-negative number, as std::rand gives.
int gameRand();
// Replaces the source of draws; an empty function restores std::rand.
void setRandSource(std::function<int()> source);
