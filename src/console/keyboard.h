// The keyboard services the game reads: _getch, _kbhit and the name line.
//
// _getch hands out a queue of decoded key bytes (keydecoder.h). The bytes come
// from an InputSource: the real terminal installs one (terminal.h), tests
// install scripted ones. End of input ends the game at once by throwing
// GameInterrupted, which only the program's entry point catches.
#pragma once

#include <functional>
#include <string>

namespace conio {

// Where raw input bytes come from.
struct InputSource {
  // Waits up to timeoutMs (negative: without limit) for input and appends what
  // one read gives to bytes. A timeout appends nothing. Returns false at end of
  // input. May throw GameInterrupted (a signal that ends the game).
  std::function<bool(int timeoutMs, std::string& bytes)> readKeys;
  // Whether input is waiting, without reading it.
  std::function<bool()> inputWaiting;
  // Switches to line mode with echo (true) for the name and back (false).
  std::function<void(bool on)> lineMode;
  // One byte of the name line, -1 at end of input.
  std::function<int()> readLineByte;
};

// Ends the game from inside a key read: end of input, or a signal.
struct GameInterrupted {
  int status;           // the program's exit status
  const char* message;  // for standard error, or nullptr
};

// Installs the source of input and forgets every queued or pending byte.
void setInputSource(InputSource source);

// Called at the start of every _getch, before a byte is taken: lets a test
// look at the screen at each key read. An empty function removes it.
void setKeyReadObserver(std::function<void()> observer);

// The next key byte (0..255), waiting for it as long as it takes.
int _getch();
// 1 when a key byte is waiting (queued or in the input), else 0; consumes nothing.
int _kbhit();

// Reads the hero's name as the stream extraction of one word does: leading
// blanks, tabs and empty lines are skipped, the word ends at the next white
// space; the rest of that line is read and discarded. UTF-8 letters that code
// page 437 has become their byte there, other characters '?'. Empty at end of input.
std::string readWord();

}  // namespace conio
