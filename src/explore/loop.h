// The exploration loop: start-up and one pass per key byte read.
#pragma once

// The game from start-up to its end; returns 0 on quitting and after game over.
int gameMain();
