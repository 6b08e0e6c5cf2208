// Keys played back from recorded reads of a terminal, so that the game can run
// without one: in the tests, the fuzz target and the benchmarks.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "console/keyboard.h"

namespace conio {

struct Replay {
  std::deque<std::string> reads;         // what each read of the terminal gives; "" is a silence
  std::string line;                      // what the name line left of the read it came from
  std::size_t keyBytesGiven = 0;         // bytes handed out as key input so far
  std::function<void(bool)> onLineMode;  // told when the name line begins and ends; may be empty
};

// An InputSource that plays the replay back. A silence times out a read that
// has a time limit (so a lone ESC becomes the Escape key) and is passed over by
// one without; the end of the reads is the end of input.
InputSource replayInput(std::shared_ptr<Replay> replay);

}  // namespace conio
