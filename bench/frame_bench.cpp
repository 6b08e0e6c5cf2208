// Benchmarks of walking in the village: the bytes a step costs on the wire,
// the time one exploration pass takes with its frame, and whether time and
// memory stay flat on a very long walk.
//
// Every benchmark drives the real game loop: the hero's name and fixed random
// draws at start-up, then scripted arrow presses, one read of the terminal
// each (an arrow is two key bytes, so two passes of the loop). A frame is
// rendered at every key read, through the key-read observer, as the terminal
// backend does before every blocking read.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>

#include "console/cp437.h"
#include "console/keyboard.h"
#include "console/renderer.h"
#include "console/screen.h"
#include "explore/loop.h"
#include "game/random.h"
#include "game/state.h"
#include "ncurses_frames.h"

// --- Heap accounting: every allocation through operator new is counted, and
// the bytes it holds while alive, so a long walk can show it does not grow. ---

namespace {
std::atomic<long long> allocationCount{0};
std::atomic<long long> liveHeapBytes{0};

void* allocate(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  liveHeapBytes.fetch_add(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
  return p;
}

void release(void* p) noexcept {
  if (!p) return;
  liveHeapBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
  std::free(p);
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace {

// --- The game, scripted ---

// Arrow keys as a terminal sends them, by the final byte of CSI.
enum class Arrow : char { up = 'A', down = 'B', right = 'C', left = 'D' };

// A route: the arrow of press number i, counting from 0, starting at (3, 10).
using Route = Arrow (*)(long);

// Back and forth along row 14, clear of the villagers, the buildings and the
// exit: four rows down, then 35 steps right and 35 back, over and over. Xpos
// runs from 3 to 38, so its text grows and shrinks across 9/10.
Arrow backAndForth(long i) {
  if (i < 4) return Arrow::down;
  return (i - 4) % 70 < 35 ? Arrow::right : Arrow::left;
}

// Round a rectangle from (3, 12) to (23, 17), so that both Xpos and Ypos change.
Arrow roundSquare(long i) {
  if (i < 2) return Arrow::down;
  const long k = (i - 2) % 50;
  return k < 20 ? Arrow::right : k < 25 ? Arrow::down : k < 45 ? Arrow::left : Arrow::up;
}

// Two rows down, then right for ever: along row 12, past column 80 and on
// off the screen.
Arrow eastward(long i) { return i < 2 ? Arrow::down : Arrow::right; }

// The start-up draws (column = draw % 79, row = draw % 24, villager by
// villager): (70, 22), (75, 2), (30, 23), (5, 22), away from every route.
constexpr int villagerDraws[8] = {70, 22, 75, 2, 30, 23, 5, 22};

// The terminal's reads for a walk: one arrow per read, then q.
struct Walk {
  Route route;
  long presses;
  long given = 0;
  void operator()(std::string& bytes) {
    if (given < presses) {
      const char arrow[3] = {'\x1b', '[', static_cast<char>(route(given++))};
      bytes.assign(arrow, sizeof arrow);
    } else {
      bytes.assign(1, 'q');
    }
  }
};

// One game from start-up to quitting: the hero is named "Hero", the villagers
// stand where villagerDraws put them, and each read of the terminal gets what
// nextRead fills in. atKeyRead runs at every key read, before the byte is taken.
// Returns false when the game ended some other way than by quitting.
bool play(const std::function<void(std::string&)>& nextRead, std::function<void()> atKeyRead) {
  resetGameState();
  conio::resetScreen();
  auto name = std::make_shared<std::string>("Hero\n");
  conio::InputSource source;
  source.readKeys = [&nextRead](int, std::string& bytes) {
    nextRead(bytes);
    return true;
  };
  source.inputWaiting = [] { return false; };
  source.readLineByte = [name, next = std::size_t{0}]() mutable -> int {
    return next < name->size() ? static_cast<unsigned char>((*name)[next++]) : -1;
  };
  conio::setInputSource(std::move(source));
  setRandSource([drawn = 0]() mutable { return drawn < 8 ? villagerDraws[drawn++] : 1; });
  conio::setKeyReadObserver(std::move(atKeyRead));
  bool quit = true;
  try {
    quit = gameMain() == 0;
  } catch (const conio::GameInterrupted&) {
    quit = false;
  }
  conio::setKeyReadObserver(nullptr);
  setRandSource(nullptr);
  return quit;
}

// --- A renderer without memory, for comparison ---

// Clears the terminal and sends every cell in UTF-8, row after row, changing
// colours only where the attribute changes, then puts the cursor in place.
const std::string& fullRepaint(std::string& out) {
  out.assign("\x1b[H\x1b[2J");
  int attribute = 7;
  for (int row = 1; row <= conio::screenHeight; ++row) {
    if (row > 1) out += "\r\n";
    for (int column = 1; column <= conio::screenWidth; ++column) {
      const conio::Cell& cell = conio::cellAt(column, row);
      const int a = cell.attr & 0xFF;
      if (a != attribute) {
        // SGR with both colours; console blue/red bits swapped into ANSI order.
        const auto ansi = [](int c) { return (c & 1) << 2 | (c & 2) | (c & 4) >> 2; };
        const int fg = a & 15, bg = a >> 4;
        out += "\x1b[" + std::to_string((fg & 8 ? 90 : 30) + ansi(fg)) + ";" +
               std::to_string((bg & 8 ? 100 : 40) + ansi(bg)) + "m";
        attribute = a;
      }
      out += conio::cp437ToUtf8(cell.ch);
    }
  }
  if (attribute != 7) out += "\x1b[m";
  const int x = conio::wherex(), y = conio::wherey();
  if (y >= 1 && y <= conio::screenHeight)
    out += "\x1b[" + std::to_string(y) + ";" + std::to_string(x) + "H";
  else
    out += "\x1b[?25l";
  return out;
}

bench::CursesTerminal& cursesTerminal() {
  static bench::CursesTerminal terminal;
  return terminal;
}

// --- 1. Bytes per arrow press: ours, ncurses and a full repaint, same frames ---

// Each key read renders the screen three ways. The first read's frame draws
// the whole village after the name prompt and is set-up, not counted; from
// the second read on, every frame belongs to an arrow press (two reads each,
// the last one being the read that takes the q).
void BM_BytesPerArrowPress(benchmark::State& state, Route route) {
  const long presses = state.range(0);
  bench::CursesTerminal& curses = cursesTerminal();
  struct Totals {
    long long ours = 0, ncurses = 0, repaint = 0;
    long long framesOursLarger = 0, bytesOver = 0, largestOurs = 0;
  } totals;
  std::string repaintFrame;
  for (auto _ : state) {
    totals = {};
    conio::Renderer renderer;
    conio::startRenderer(renderer, conio::screenHeight, conio::screenWidth, true);
    long reads = 0;
    Walk walk{route, presses};
    const bool quit = play(walk, [&] {
      const long long ours = static_cast<long long>(conio::renderFrame(renderer).size());
      const long long theirs = static_cast<long long>(curses.frame());
      const long long repaint = static_cast<long long>(fullRepaint(repaintFrame).size());
      if (reads++ == 0) return;
      totals.ours += ours;
      totals.ncurses += theirs;
      totals.repaint += repaint;
      totals.largestOurs = std::max(totals.largestOurs, ours);
      if (ours > theirs) {
        ++totals.framesOursLarger;
        totals.bytesOver += ours - theirs;
      }
    });
    if (!quit || reads != 2 * presses + 1) state.SkipWithError("the walk did not run as scripted");
  }
  const double perPress = static_cast<double>(presses);
  state.counters["bytes_per_step"] = static_cast<double>(totals.ours) / perPress;
  state.counters["ncurses_per_step"] = static_cast<double>(totals.ncurses) / perPress;
  state.counters["repaint_per_step"] = static_cast<double>(totals.repaint) / perPress;
  state.counters["largest_frame"] = static_cast<double>(totals.largestOurs);
  state.counters["frames_over_ncurses"] = static_cast<double>(totals.framesOursLarger);
  state.counters["bytes_over_ncurses"] = static_cast<double>(totals.bytesOver);
}
BENCHMARK_CAPTURE(BM_BytesPerArrowPress, back_and_forth, backAndForth)->Arg(2000)->Iterations(1);
BENCHMARK_CAPTURE(BM_BytesPerArrowPress, round_square, roundSquare)->Arg(2000)->Iterations(1);

// --- 2. One exploration pass with its frame ---

// The benchmark's iterations are the arrow presses themselves: the terminal
// read asks the benchmark whether to go on, so start-up (name prompt, first
// full frame) happens before the clock starts and q after it stops. Each press
// is two passes; "pass" is the time of one.
enum class FrameWork { none, render, renderAndWrite };

void BM_ExplorationPass(benchmark::State& state, FrameWork work) {
  conio::Renderer renderer;
  conio::startRenderer(renderer, conio::screenHeight, conio::screenWidth, true);
  const int devNull = open("/dev/null", O_WRONLY);
  long given = 0;
  std::function<void(std::string&)> nextRead = [&](std::string& bytes) {
    if (state.KeepRunning()) {
      const char arrow[3] = {'\x1b', '[', static_cast<char>(backAndForth(given++))};
      bytes.assign(arrow, sizeof arrow);
    } else {
      bytes.assign(1, 'q');
    }
  };
  std::function<void()> atKeyRead;
  if (work != FrameWork::none) {
    atKeyRead = [&] {
      const std::string& frame = conio::renderFrame(renderer);
      if (work == FrameWork::renderAndWrite && !frame.empty())
        benchmark::DoNotOptimize(write(devNull, frame.data(), frame.size()));
    };
  }
  if (!play(nextRead, atKeyRead)) state.SkipWithError("the game did not quit");
  close(devNull);
  state.SetItemsProcessed(2 * state.iterations());
  state.counters["pass"] = benchmark::Counter(static_cast<double>(2 * state.iterations()),
                                              benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(BM_ExplorationPass, no_frame, FrameWork::none);
BENCHMARK_CAPTURE(BM_ExplorationPass, with_frame, FrameWork::render);
BENCHMARK_CAPTURE(BM_ExplorationPass, with_frame_written, FrameWork::renderAndWrite);

// --- 3. Walking far: time per key and memory over a long walk off the screen ---

long residentKiB() {
  const int fd = open("/proc/self/statm", O_RDONLY);
  if (fd < 0) return 0;
  char text[128] = {};
  const ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  if (n <= 0) return 0;
  long size = 0, resident = 0;
  if (std::sscanf(text, "%ld %ld", &size, &resident) != 2) return 0;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The walk's clock starts at the first key read and stops at the read of q,
// so it holds exactly the arrow presses, each with its two passes and frames.
// Also timed apart: the first and the last 1,000 presses of the walk.
void BM_WalkFar(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const long presses = state.range(0);
  const long window = std::min(presses, 1000L);
  double walkSeconds = 0, firstSeconds = 0, lastSeconds = 0;
  long long allocations = 0, heapGrowth = 0, residentGrowth = 0;
  for (auto _ : state) {
    conio::Renderer renderer;
    conio::startRenderer(renderer, conio::screenHeight, conio::screenWidth, true);
    Clock::time_point start, firstDone, lastStart, end;
    long long allocationsAtStart = 0, heapAtStart = 0, residentAtStart = 0;
    long reads = 0;
    Walk walk{eastward, presses};
    const bool quit = play(walk, [&] {
      ++reads;
      // Read 2k+1 takes the first byte of press k (counting from 0); read
      // 2 * presses + 1 takes the q.
      if (reads == 1) {
        residentAtStart = residentKiB();
        allocationsAtStart = allocationCount.load(std::memory_order_relaxed);
        heapAtStart = liveHeapBytes.load(std::memory_order_relaxed);
        start = Clock::now();
      }
      if (reads == 2 * window + 1) firstDone = Clock::now();
      if (reads == 2 * (presses - window) + 1) lastStart = Clock::now();
      if (reads == 2 * presses + 1) {
        end = Clock::now();
        allocations = allocationCount.load(std::memory_order_relaxed) - allocationsAtStart;
        heapGrowth = liveHeapBytes.load(std::memory_order_relaxed) - heapAtStart;
        residentGrowth = residentKiB() - residentAtStart;
      }
      benchmark::DoNotOptimize(conio::renderFrame(renderer));
    });
    if (!quit || reads != 2 * presses + 1) state.SkipWithError("the walk did not run as scripted");
    walkSeconds = std::chrono::duration<double>(end - start).count();
    firstSeconds = std::chrono::duration<double>(firstDone - start).count();
    lastSeconds = std::chrono::duration<double>(end - lastStart).count();
    state.SetIterationTime(walkSeconds);
  }
  state.SetItemsProcessed(state.iterations() * presses);
  state.counters["ns_per_key"] = walkSeconds * 1e9 / static_cast<double>(presses);
  state.counters["ns_per_key_first_1k"] = firstSeconds * 1e9 / static_cast<double>(window);
  state.counters["ns_per_key_last_1k"] = lastSeconds * 1e9 / static_cast<double>(window);
  state.counters["allocs_per_key"] = static_cast<double>(allocations) / static_cast<double>(presses);
  state.counters["heap_growth_B"] = static_cast<double>(heapGrowth);
  state.counters["rss_growth_KiB"] = static_cast<double>(residentGrowth);
}
BENCHMARK(BM_WalkFar)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
