// The program's entry point: takes over the terminal, runs the game, and puts
// the terminal back however the game ends.
#include <cstdio>

#include "console/keyboard.h"
#include "console/terminal.h"
#include "explore/loop.h"

int main() {
  if (!conio::stdoutIsTerminal()) {
    std::fputs("textquest: standard output is not a terminal\n", stderr);
    return 2;
  }
  conio::startTerminal();
  int status = 0;
  const char* message = nullptr;
  try {
    status = gameMain();
    conio::presentFrame();
  } catch (const conio::GameInterrupted& end) {
    status = end.status;
    message = end.message;
  }
  conio::restoreTerminal();
  if (message) std::fprintf(stderr, "%s\n", message);
  return status;
}
