// A test fixture that runs game code the way a player would: scripted key
// bytes in, scripted random draws, and the screen read back at every key read.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "console/keyboard.h"

namespace testing_support {

// An empty chunk in a key script: the input goes quiet for a while, so a lone
// ESC before it becomes the Escape key.
inline const std::string silence;

// Common keys as a terminal sends them.
inline const std::string upKey = "\x1b[A", downKey = "\x1b[B", rightKey = "\x1b[C", leftKey = "\x1b[D";
inline const std::string escKey = "\x1b";

// The screen as it stood at one moment.
struct Shot {
  std::vector<std::string> rows;  // 25 rows of 80 bytes, as stored
  int x = 0, y = 0;               // the cursor
  const std::string& row(int n) const { return rows.at(static_cast<size_t>(n - 1)); }
};

// An expected screen, built by putting text at places on 25 blank rows.
struct Canvas {
  std::vector<std::string> rows = std::vector<std::string>(25, std::string(80, ' '));
  // Puts text at (column, row), both from 1; what falls beyond column 80 is cut.
  Canvas& put(int column, int row, const std::string& text);
};

using Lines = std::vector<std::string>;
// The 25 whole rows of a screen that shows these lines from the top, the rest blank.
Lines screen(std::initializer_list<Lines> parts);

// Pads text with blanks to the 80 columns of a whole row.
std::string pad(const std::string& text);
// The screen now.
Shot screenNow();
// A whole row of the screen now (1-based).
std::string row(int n);

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Key input: chunks as separate reads of the terminal; `silence` between them
  // times out a lone ESC. The name line is read from the same bytes.
  void keys(std::vector<std::string> chunks);
  // Random draws handed out in order; running out fails the test.
  void draws(std::vector<int> values);
  // How many scripted draws are still unused.
  size_t drawsLeft() const;
  // Builds the party as start-up does, with the hero named `name`, then clears
  // the screen. Uses no draws.
  void buildParty(const std::string& name);
  // Runs the whole game; returns its exit status (1 at end of input).
  int runGame();
  // Runs f until it returns or the key input ends; true when it returned.
  template <class F>
  bool runUntilInputEnds(F f) {
    try {
      f();
      return true;
    } catch (const conio::GameInterrupted&) {
      return false;
    }
  }

  std::vector<Shot> reads;  // the screen at each key read, in order
  Shot namePrompt;          // the screen when the name line began to be read
};

// A GameTest whose party is built as start-up builds it, the hero named Ann.
class PartyBuiltTest : public GameTest {
 protected:
  void SetUp() override;
  // Kills member index as a battle does: no hit points, not alive.
  static void kill(int index);
};

}  // namespace testing_support
