// One battle, from the choice of opponent to victory, flight or the party's death.
#pragma once

void battle();
