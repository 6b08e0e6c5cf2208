// A libFuzzer target that plays the whole game, from start-up to its end, on
// one input, and checks the game's invariants at every key read and after the
// run. A broken invariant aborts with a message, so libFuzzer keeps the input.
//
// The input:
//   byte 0        D, the number of random draws that follow (fewer when the
//                 input is shorter)
//   D bytes       the draws, in order, each the byte's value (0..255); once
//                 they run out every draw is 0
//   the rest      the terminal's reads, one record each: a length byte L, then
//                 L bytes of input (fewer at the end of the data). L = 0 is a
//                 silence: the input goes quiet, so a lone ESC before it times
//                 out and becomes the Escape key. The name line is read from
//                 the first records, as on a terminal.
// The end of the data is the end of input, which ends the game.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "console/keyboard.h"
#include "console/renderer.h"
#include "console/replay.h"
#include "console/screen.h"
#include "explore/loop.h"
#include "game/random.h"
#include "game/state.h"

// The harness's own checks stay out of the coverage libFuzzer steers by: only
// the game's branches should count as progress, and the checks run often.
#define HARNESS_CHECK __attribute__((no_sanitize("coverage")))

namespace {

// The stages each villager's conversation can reach.
constexpr int lastStage[4] = {2, 3, 2, 1};

// More draws than this between two key reads means the game is spinning
// without waiting for the player.
constexpr int maxDrawsBetweenReads = 1000;

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "game_fuzz: invariant broken: %s\n", what);
  std::abort();
}

void require(bool holds, const char* what) {
  if (!holds) broken(what);
}

// One run's input and what the checks remember between key reads.
struct Run {
  // Input.
  std::shared_ptr<conio::Replay> input = std::make_shared<conio::Replay>();  // the terminal's reads
  const std::uint8_t* draws = nullptr;
  std::size_t drawCount = 0, drawsTaken = 0;

  // Counters.
  std::size_t reads = 0;     // key reads so far
  int drawsSinceRead = 0;

  // What the previous key read saw.
  bool seenBefore = false;
  bool allDead = false;
  int alive[4] = {}, level[4] = {}, stage[4] = {}, villagerX[4] = {}, villagerY[4] = {};
  long long kills = 0;
  // Members whose experience ran out in an award and who have not levelled
  // yet (bit i for member i), and how many reads this has lasted.
  unsigned owed = 0;
  int owedReads = 0, owedAtStart = 0;

  conio::Renderer renderer;
};

Run* run = nullptr;

int nextDraw() {
  require(++run->drawsSinceRead <= maxDrawsBetweenReads, "the game draws on and on without reading a key");
  if (run->drawsTaken < run->drawCount) return run->draws[run->drawsTaken++];
  return 0;
}

// --- The checks ---

HARNESS_CHECK void checkMembers() {
  for (const stats& m : member) {
    require(m.hp >= 0 && m.hp <= m.maxHp, "hp outside 0..maxHp");
    require(m.alive == 0 || m.alive == 1, "alive neither 0 nor 1");
    require(m.alive == 1 || m.hp == 0, "a dead member has hp");
    require(m.alive == 0 || m.hp > 0, "a living member has no hp");
    require(m.level >= 1, "level below 1");
    require(m.exp <= m.levelExp, "exp above levelExp");
  }
  require(kazik.mp >= 0 && kazik.mp <= kazik.maxMp, "mp outside 0..maxMp");
  require(area == 1 || area == 2, "area neither 1 nor 2");
  require(talkingWith >= 0 && talkingWith <= 3, "talkingWith outside the village");
  for (int i = 0; i < 4; ++i) {
    require(villager[i].dialogStage >= 1 && villager[i].dialogStage <= lastStage[i],
            "a villager's stage the conversations never reach");
  }
  if (allDead) {
    for (const stats& m : member) require(m.alive == 0, "allDead with a member alive");
  }
}

unsigned expRunOut() {
  unsigned mask = 0;
  for (int i = 0; i < 4; ++i) {
    if (member[i].exp <= 0) mask |= 1u << i;
  }
  return mask;
}

long long totalKills() {
  long long total = 0;
  for (const stats& m : member) total += m.kills;
  return total;
}

// Changes since the previous key read. Experience may be 0 or less only
// between an award and the level-up of that member: every member whose
// experience ran out levels up once, two key reads each, in member order;
// the one that levels leaves the set with exp == levelExp and one level more.
HARNESS_CHECK void checkChanges() {
  Run& r = *run;
  const unsigned owed = expRunOut();
  const long long kills = totalKills();
  if (!r.seenBefore) {
    require(owed == 0, "exp run out before any battle");
    require(kills == 0, "kills before any battle");
  } else {
    require(r.allDead <= allDead, "allDead went back to false");
    for (int i = 0; i < 4; ++i) {
      const stats& m = member[i];
      require(m.alive <= r.alive[i], "a dead member came back to life");
      require(villager[i].dialogStage >= r.stage[i], "a villager's stage went back");
      require(villager[i].x == r.villagerX[i] && villager[i].y == r.villagerY[i], "a villager moved");
      const bool levelled = (r.owed >> i & 1u) && !(owed >> i & 1u);
      if (levelled) {
        require(m.level == r.level[i] + 1, "a level-up that is not one level");
        require(m.exp == m.levelExp, "a level-up that does not reset exp");
      } else {
        require(m.level == r.level[i], "a level changed without a level-up");
      }
    }
    require(kills >= r.kills && kills <= r.kills + 1, "kills went back or rose by more than one");
    if (owed != 0 && r.owed == 0) {
      require(kills == r.kills + 1, "exp ran out without an award");
      r.owedReads = 0;
      r.owedAtStart = __builtin_popcount(owed);
    }
    if (owed != 0) {
      require((owed & ~r.owed) == 0 || r.owed == 0, "exp ran out in the middle of the level-ups");
      require(++r.owedReads <= 2 * r.owedAtStart, "exp stays at 0 or less after the level-ups");
    }
  }
  r.seenBefore = true;
  r.allDead = allDead;
  r.owed = owed;
  r.kills = kills;
  for (int i = 0; i < 4; ++i) {
    r.alive[i] = member[i].alive;
    r.level[i] = member[i].level;
    r.stage[i] = villager[i].dialogStage;
    r.villagerX[i] = villager[i].x;
    r.villagerY[i] = villager[i].y;
  }
}

HARNESS_CHECK void checkCursor() {
  const int x = conio::wherex(), y = conio::wherey();
  require(x >= 1 && x <= conio::screenWidth, "cursor column outside 1..80");
  require(y >= 1 && y <= conio::screenHeight + 1, "cursor row outside 1..26");
}

// Every cell of the screen itself: the game never sets colours.
HARNESS_CHECK void checkCells() {
  for (int row = 1; row <= conio::screenHeight; ++row) {
    for (int column = 1; column <= conio::screenWidth; ++column) {
      require(conio::cellAt(column, row).attr == 7, "a cell in colours the game never sets");
    }
  }
}

// The frame the terminal would be sent holds printable text, UTF-8 glyphs
// outside the C1 controls, the cursor motions \b \n \r, and whole CSI
// sequences: no byte of the screen reaches the terminal as a control. The
// renderer's copy of the screen then holds every cell, so the colours are
// checked there at each read, at far less cost than through cellAt.
HARNESS_CHECK void checkFrame() {
  const std::string& frame = conio::renderFrame(run->renderer);
  const auto* p = reinterpret_cast<const unsigned char*>(frame.data());
  const auto* end = p + frame.size();
  while (p < end) {
    const unsigned char b = *p++;
    if ((b >= 0x20 && b < 0x7F) || b == '\b' || b == '\n' || b == '\r') continue;
    if (b == 0x1B) {
      require(p < end && *p++ == '[', "an escape that is not a CSI sequence");
      while (p < end && *p >= 0x20 && *p <= 0x3F) ++p;
      require(p < end && *p >= 0x40 && *p <= 0x7E, "a CSI sequence without a final byte");
      ++p;
      continue;
    }
    const int length = b >= 0xF0 && b < 0xF5 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    require(length > 0 && b < 0xF5, "a control or stray byte sent to the terminal");
    require(end - p >= length - 1, "a glyph cut short");
    std::uint32_t codePoint = b & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
      require((*p & 0xC0) == 0x80, "a malformed glyph");
      codePoint = codePoint << 6 | (*p++ & 0x3Fu);
    }
    require(codePoint >= 0xA0, "a C1 control sent to the terminal");
  }
  unsigned differs = 0;
  for (const auto& row : run->renderer.front) {
    for (const conio::Cell& cell : row) differs |= cell.attr ^ 7u;
  }
  require(differs == 0, "a cell in colours the game never sets");
}

HARNESS_CHECK void onKeyRead() {
  Run& r = *run;
  ++r.reads;
  r.drawsSinceRead = 0;
  // Each key handed out came from at least one byte of input.
  require(r.reads - 1 <= r.input->keyBytesGiven, "a key read that consumed no input");
  checkMembers();
  checkChanges();
  checkCursor();
  checkFrame();
}

// --- One run ---

void splitInput(Run& r, const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  const std::size_t drawCount = data[0] < size - 1 ? data[0] : size - 1;
  r.draws = data + 1;
  r.drawCount = drawCount;
  std::size_t at = 1 + drawCount;
  while (at < size) {
    const std::size_t length = data[at++];
    const std::size_t taken = length < size - at ? length : size - at;
    r.input->reads.emplace_back(reinterpret_cast<const char*>(data + at), taken);
    at += taken;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Run state;
  run = &state;

  resetGameState();
  conio::resetScreen();
  splitInput(state, data, size);
  conio::setInputSource(conio::replayInput(state.input));
  setRandSource(nextDraw);
  conio::startRenderer(state.renderer, conio::screenHeight, conio::screenWidth, true);
  conio::setKeyReadObserver(onKeyRead);

  bool returned = false;
  int status = 0;
  try {
    status = gameMain();
    returned = true;
  } catch (const conio::GameInterrupted& end) {
    require(end.status == 1, "the game ended with a status other than end of input's");
    require(end.message != nullptr && std::strcmp(end.message, "textquest: end of input") == 0,
            "end of input without its message");
    require(state.input->reads.empty() && state.input->line.empty(), "the game ended before its input did");
  }

  checkMembers();
  if (returned) {
    require(status == 0, "gameMain returned a status other than 0");
    require(expRunOut() == 0, "the game ended with exp at 0 or less");
    const std::string blankRow(conio::screenWidth, ' ');
    for (int row = 1; row <= conio::screenHeight; ++row) {
      require(conio::rowText(row) == blankRow, "the screen not cleared at the end");
    }
    require(conio::wherex() == 1 && conio::wherey() == 1, "the cursor not home at the end");
  }
  checkCursor();
  checkCells();

  conio::setKeyReadObserver(nullptr);
  setRandSource(nullptr);
  conio::setInputSource(conio::InputSource{});
  run = nullptr;
  return 0;
}
