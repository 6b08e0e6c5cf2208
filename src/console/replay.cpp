#include "console/replay.h"

#include <utility>

namespace conio {

InputSource replayInput(std::shared_ptr<Replay> replay) {
  InputSource source;
  source.readKeys = [replay](int timeoutMs, std::string& bytes) {
    if (!replay->line.empty()) {
      bytes = std::move(replay->line);
      replay->line.clear();
      replay->keyBytesGiven += bytes.size();
      return true;
    }
    while (!replay->reads.empty()) {
      std::string read = std::move(replay->reads.front());
      replay->reads.pop_front();
      if (!read.empty()) {
        bytes = std::move(read);
        replay->keyBytesGiven += bytes.size();
        return true;
      }
      if (timeoutMs >= 0) return true;  // the silence times the read out
    }
    return false;
  };
  source.inputWaiting = [replay] {
    return !replay->line.empty() || (!replay->reads.empty() && !replay->reads.front().empty());
  };
  source.lineMode = [replay](bool on) {
    if (replay->onLineMode) replay->onLineMode(on);
  };
  source.readLineByte = [replay]() -> int {
    while (replay->line.empty()) {
      if (replay->reads.empty()) return -1;
      replay->line = std::move(replay->reads.front());
      replay->reads.pop_front();
    }
    const auto byte = static_cast<unsigned char>(replay->line.front());
    replay->line.erase(0, 1);
    return byte;
  };
  return source;
}

}  // namespace conio
