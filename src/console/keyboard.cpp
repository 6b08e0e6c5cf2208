// The keyboard services: a queue of decoded key bytes in front of whatever
// InputSource is installed, and the one line of input the game ever reads.
#include "console/keyboard.h"

#include <deque>
#include <utility>

#include "console/cp437.h"
#include "console/keydecoder.h"

namespace conio {
namespace {

InputSource source;        // where raw bytes come from
KeyDecoder decoder;        // escape sequences in progress
std::deque<unsigned char> keys;  // decoded key bytes not yet handed out
bool inputEnded = false;   // the source reported end of input once already
std::function<void()> keyReadObserver;  // a test's look at each key read

[[noreturn]] void endOfInput() {
  inputEnded = true;
  throw GameInterrupted{1, "textquest: end of input"};
}

void decode(const std::string& bytes) {
  std::string out;
  for (char c : bytes) decodeByte(decoder, static_cast<unsigned char>(c), out);
  for (char c : out) keys.push_back(static_cast<unsigned char>(c));
}

void decodeQuiet() {
  std::string out;
  decodeTimeout(decoder, out);
  for (char c : out) keys.push_back(static_cast<unsigned char>(c));
}

// Reads until at least one key byte is queued. A lone ESC waits a short time
// for the rest of a sequence; end of input first lets a pending ESC through.
void fillQueue() {
  while (keys.empty()) {
    if (inputEnded || !source.readKeys) endOfInput();
    const bool escapePending = awaitingEscapeTimeout(decoder);
    std::string bytes;
    if (!source.readKeys(escapePending ? escapeDelayMs : -1, bytes)) {
      decodeQuiet();
      if (keys.empty()) endOfInput();
      inputEnded = true;
      return;
    }
    if (bytes.empty()) {
      if (escapePending) decodeQuiet();
      continue;
    }
    decode(bytes);
  }
}

bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// One character of the name line: a UTF-8 sequence becomes its code page 437
// byte, or '?' when it has none (or is malformed). Returns -1 at end of input;
// `next` keeps a byte read ahead that turned out not to belong to the sequence.
int readNameChar(int& next) {
  int b = next >= 0 ? next : source.readLineByte();
  next = -1;
  if (b < 0x80) return b;  // ASCII, or -1
  int length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
  if (length == 0 || b >= 0xF8) return '?';
  char32_t codePoint = static_cast<char32_t>(b & (0x7F >> length));
  for (int i = 1; i < length; ++i) {
    int cont = source.readLineByte();
    if (cont < 0 || (cont & 0xC0) != 0x80) {
      next = cont;
      return '?';
    }
    codePoint = (codePoint << 6) | static_cast<char32_t>(cont & 0x3F);
  }
  return unicodeToCp437(codePoint);
}

}  // namespace

void setInputSource(InputSource newSource) {
  source = std::move(newSource);
  decoder = KeyDecoder{};
  keys.clear();
  inputEnded = false;
}

void setKeyReadObserver(std::function<void()> observer) { keyReadObserver = std::move(observer); }

int _getch() {
  if (keyReadObserver) keyReadObserver();
  fillQueue();
  int byte = keys.front();
  keys.pop_front();
  return byte;
}

int _kbhit() {
  if (!keys.empty()) return 1;
  return !inputEnded && source.inputWaiting && source.inputWaiting() ? 1 : 0;
}

std::string readWord() {
  std::string word;
  if (!source.readLineByte) return word;
  if (source.lineMode) source.lineMode(true);
  int next = -1;
  int c = readNameChar(next);
  while (c >= 0 && isBlank(c)) c = readNameChar(next);
  while (c >= 0 && !isBlank(c)) {
    word.push_back(static_cast<char>(c));
    c = readNameChar(next);
  }
  // The rest of the line is never used; read it so that it cannot become keys.
  while (c >= 0 && c != '\n') c = readNameChar(next);
  if (source.lineMode) source.lineMode(false);
  return word;
}

}  // namespace conio
