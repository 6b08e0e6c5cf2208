#include "game_fixture.h"

#include <deque>
#include <memory>

#include "console/replay.h"
#include "console/screen.h"
#include "explore/loop.h"
#include "game/party.h"
#include "game/random.h"
#include "game/state.h"

namespace testing_support {
namespace {

std::shared_ptr<conio::Replay> script;
std::shared_ptr<std::deque<int>> drawQueue;

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

Lines screen(std::initializer_list<Lines> parts) {
  Lines rows;
  for (const Lines& part : parts) {
    for (const std::string& line : part) rows.push_back(pad(line));
  }
  rows.resize(25, pad(""));
  return rows;
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
  resetGameState();
  conio::resetScreen();
  script = std::make_shared<conio::Replay>();
  script->onLineMode = [this](bool on) {
    if (on) namePrompt = screenNow();
  };
  conio::setInputSource(conio::replayInput(script));
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
  conio::setKeyReadObserver([this] { reads.push_back(screenNow()); });
}

void GameTest::TearDown() {
  conio::setKeyReadObserver(nullptr);
  setRandSource(nullptr);
}

void GameTest::keys(std::vector<std::string> chunks) {
  for (auto& c : chunks) script->reads.push_back(std::move(c));
}

void GameTest::draws(std::vector<int> values) {
  for (int v : values) drawQueue->push_back(v);
}

size_t GameTest::drawsLeft() const { return drawQueue->size(); }

void GameTest::buildParty(const std::string& name) {
  auto pending = std::move(script->reads);
  script->reads = {name + "\n"};
  getMagicInfo();
  initializeStats();
  script->line.clear();
  script->reads = std::move(pending);
  conio::clrscr();
}

int GameTest::runGame() {
  try {
    return gameMain();
  } catch (const conio::GameInterrupted& end) {
    return end.status;
  }
}

void PartyBuiltTest::SetUp() {
  GameTest::SetUp();
  buildParty("Ann");
}

void PartyBuiltTest::kill(int index) {
  member[index].hp = 0;
  member[index].alive = 0;
}

}  // namespace testing_support
