#include "game/random.h"

#include <cstdlib>
#include <utility>

namespace {
std::function<int()> randSource;  // empty: std::rand
}

int gameRand() { return randSource ? randSource() : std::rand(); }

void setRandSource(std::function<int()> source) { randSource = std::move(source); }
