#include "game_fixture.h"

#include <deque>
#include <memory>

#include "console/screen.h"
#include "explore/loop.h"
#include "game/party.h"
#include "game/random.h"
#include "game/state.h"

namespace testing_support {
namespace {

// The scripted input behind the keyboard: chunks, each one read of the terminal.
struct Script {
  std::deque<std::string> chunks;
  std::string line;  // what is left of the chunk the name line reads from
};

std::shared_ptr<Script> script;
Shot* namePromptShot = nullptr;
std::shared_ptr<std::deque<int>> drawQueue;

void installInput() {
  conio::InputSource source;
  source.readKeys = [](int timeoutMs, std::string& bytes) {
    if (!script->line.empty()) {
      bytes = std::move(script->line);
      script->line.clear();
      return true;
    }
    while (!script->chunks.empty()) {
      std::string chunk = std::move(script->chunks.front());
      script->chunks.pop_front();
      if (!chunk.empty()) {
        bytes = std::move(chunk);
        return true;
      }
      if (timeoutMs >= 0) return true;  // the pause times the read out
    }
    return false;
  };
  source.inputWaiting = [] {
    if (!script->line.empty()) return true;
    for (const auto& c : script->chunks) {
      if (c.empty()) return false;
      return true;
    }
    return false;
  };
  source.lineMode = [](bool on) {
    if (on && namePromptShot) *namePromptShot = screenNow();
  };
  source.readLineByte = []() -> int {
    while (script->line.empty()) {
      if (script->chunks.empty()) return -1;
      script->line = std::move(script->chunks.front());
      script->chunks.pop_front();
    }
    unsigned char c = static_cast<unsigned char>(script->line.front());
    script->line.erase(0, 1);
    return c;
  };
  conio::setInputSource(source);
}

}  // namespace

Canvas& Canvas::put(int column, int row, const std::string& text) {
  std::string& line = rows.at(static_cast<size_t>(row - 1));
  for (size_t i = 0; i < text.size() && column - 1 + i < line.size(); ++i) line[column - 1 + i] = text[i];
  return *this;
}

std::string pad(const std::string& text) {
  std::string padded = text;
  if (padded.size() < 80) padded.append(80 - padded.size(), ' ');
  return padded;
}

Shot screenNow() {
  Shot shot;
  for (int r = 1; r <= 25; ++r) shot.rows.push_back(conio::rowText(r));
  shot.x = conio::wherex();
  shot.y = conio::wherey();
  return shot;
}

std::string row(int n) { return conio::rowText(n); }

void GameTest::SetUp() {
  for (auto& v : villager) v = NPC{};
  for (auto& m : member) m = stats{};
  kazik = magicInfo{};
  weaponShop = building{};
  itemShop = building{};
  talkingWith = 1;
  area = 1;
  allDead = false;
  conio::resetScreen();
  script = std::make_shared<Script>();
  installInput();
  drawQueue = std::make_shared<std::deque<int>>();
  setRandSource([] {
    if (drawQueue->empty()) {
      ADD_FAILURE() << "the game drew more random numbers than the test scripted";
      return 0;
    }
    int value = drawQueue->front();
    drawQueue->pop_front();
    return value;
  });
  reads.clear();
  namePromptShot = &namePrompt;
  conio::setKeyReadObserver([this] { reads.push_back(screenNow()); });
}

void GameTest::TearDown() {
  namePromptShot = nullptr;
  conio::setKeyReadObserver(nullptr);
  setRandSource(nullptr);
}

void GameTest::keys(std::vector<std::string> chunks) {
  for (auto& c : chunks) script->chunks.push_back(std::move(c));
}

void GameTest::draws(std::vector<int> values) {
  for (int v : values) drawQueue->push_back(v);
}

size_t GameTest::drawsLeft() const { return drawQueue->size(); }

void GameTest::buildParty(const std::string& name) {
  auto pending = std::move(script->chunks);
  script->chunks.clear();
  script->chunks.push_back(name + "\n");
  getMagicInfo();
  initializeStats();
  script->line.clear();
  script->chunks = std::move(pending);
  conio::clrscr();
}

int GameTest::runGame() {
  try {
    return gameMain();
  } catch (const conio::GameInterrupted& end) {
    return end.status;
  }
}

}  // namespace testing_support
