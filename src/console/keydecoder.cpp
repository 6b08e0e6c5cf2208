// Turns terminal input bytes into the console's key bytes.
//
// Ordinary bytes pass straight through. ESC opens a possible escape sequence,
// which is held in KeyDecoder::pending until it is finished: a known key gives
// its prefix and code, anything else is dropped whole. Escape means "quit" in
// this game, so only a lone ESC that times out may ever give 27.
#include "console/keydecoder.h"

#include <cstddef>
#include <string_view>

namespace conio {

namespace {

constexpr unsigned char esc = 27;

// A sequence this long is no key; the rest of it is still read to its final
// byte, but not kept, so a runaway sequence costs no memory.
constexpr std::size_t maxPending = 64;

// X10 mouse reports (ESC [ M and three raw bytes) carry bytes that look like
// keys; they are read whole and dropped.
constexpr std::size_t mouseReportLength = 6;

struct Key {
  unsigned char prefix;  // 0 or 224
  unsigned char code;
};

// Final byte of CSI or SS3 -> key, whatever the parameters (modifiers).
struct LetterKey {
  char final;
  Key key;
};
constexpr LetterKey letterKeys[] = {
    {'A', {224, 72}},  // up
    {'B', {224, 80}},  // down
    {'C', {224, 77}},  // right
    {'D', {224, 75}},  // left
    {'H', {224, 71}},  // Home
    {'F', {224, 79}},  // End
    {'P', {0, 59}},    // F1
    {'Q', {0, 60}},    // F2
    {'R', {0, 61}},    // F3
    {'S', {0, 62}},    // F4
};

// First parameter of a sequence ending in '~' -> key.
struct TildeKey {
  int number;
  Key key;
};
constexpr TildeKey tildeKeys[] = {
    {1, {224, 71}},   {7, {224, 71}},    // Home
    {4, {224, 79}},   {8, {224, 79}},    // End
    {2, {224, 82}},                      // Insert
    {3, {224, 83}},                      // Delete
    {5, {224, 73}},                      // PgUp
    {6, {224, 81}},                      // PgDn
    {11, {0, 59}},    {12, {0, 60}},     // F1, F2
    {13, {0, 61}},    {14, {0, 62}},     // F3, F4
    {15, {0, 63}},    {17, {0, 64}},     // F5, F6
    {18, {0, 65}},    {19, {0, 66}},     // F7, F8
    {20, {0, 67}},    {21, {0, 68}},     // F9, F10
    {23, {224, 133}}, {24, {224, 134}},  // F11, F12
};

bool isFinalByte(unsigned char byte) { return byte >= 0x40 && byte <= 0x7E; }

void emit(std::string& keys, Key key) {
  keys.push_back(static_cast<char>(key.prefix));
  keys.push_back(static_cast<char>(key.code));
}

// The first parameter as a number, or -1 when the parameters are not plain
// digits and semicolons (private markers belong to reports, not keys).
int firstParameter(std::string_view parameters) {
  int number = 0;
  bool inFirst = true;
  for (const char c : parameters) {
    if (c == ';') {
      inFirst = false;
    } else if (c < '0' || c > '9') {
      return -1;
    } else if (inFirst && number < 1000) {
      number = number * 10 + (c - '0');
    }
  }
  return number;
}

// Decodes a finished sequence: pending holds ESC, the introducer and the
// parameters, final the byte that ended it.
void finishSequence(const std::string& pending, unsigned char final, std::string& keys) {
  if (pending.size() >= maxPending) return;  // ran too long to be a key
  const std::string_view parameters = std::string_view(pending).substr(2);
  const int number = firstParameter(parameters);
  if (number < 0) return;
  if (final == '~') {
    if (pending[1] != '[') return;
    for (const TildeKey& entry : tildeKeys) {
      if (entry.number == number) {
        emit(keys, entry.key);
        return;
      }
    }
    return;
  }
  for (const LetterKey& entry : letterKeys) {
    if (entry.final == static_cast<char>(final)) {
      emit(keys, entry.key);
      return;
    }
  }
}

bool inMouseReport(const std::string& pending) {
  return pending.size() >= 3 && pending[1] == '[' && pending[2] == 'M';
}

// The Linux console sends F1-F5 as ESC [ [ A to ESC [ [ E.
bool inLinuxFunctionKey(const std::string& pending) {
  return pending.size() == 3 && pending[1] == '[' && pending[2] == '[';
}

}  // namespace

void decodeByte(KeyDecoder& decoder, unsigned char byte, std::string& keys) {
  std::string& pending = decoder.pending;
  if (pending.empty()) {
    if (byte == esc) {
      pending.push_back(static_cast<char>(esc));
    } else {
      keys.push_back(static_cast<char>(byte));
    }
    return;
  }
  if (inMouseReport(pending)) {
    pending.push_back(static_cast<char>(byte));
    if (pending.size() == mouseReportLength) pending.clear();
    return;
  }
  if (byte == esc) {
    // A new ESC: the lone ESC before it was Alt or a stray, and an unfinished
    // sequence was cut short; either way only the new one counts.
    pending.assign(1, static_cast<char>(esc));
    return;
  }
  if (pending.size() == 1) {
    if (byte == '[' || byte == 'O') {
      pending.push_back(static_cast<char>(byte));
    } else {
      pending.clear();  // ESC with a key (Alt): the key alone
      keys.push_back(static_cast<char>(byte));
    }
    return;
  }
  if (inLinuxFunctionKey(pending)) {
    if (byte >= 'A' && byte <= 'E') {
      emit(keys, Key{0, static_cast<unsigned char>(59 + (byte - 'A'))});
    }
    pending.clear();
    return;
  }
  if (!isFinalByte(byte)) {
    if (pending.size() < maxPending) pending.push_back(static_cast<char>(byte));
    return;
  }
  if (pending == "\x1b[" && (byte == '[' || byte == 'M')) {
    pending.push_back(static_cast<char>(byte));  // Linux function key or mouse report
    return;
  }
  finishSequence(pending, byte, keys);
  pending.clear();
}

void decodeTimeout(KeyDecoder& decoder, std::string& keys) {
  if (awaitingEscapeTimeout(decoder)) keys.push_back(static_cast<char>(esc));
  decoder.pending.clear();
}

bool awaitingEscapeTimeout(const KeyDecoder& decoder) { return decoder.pending.size() == 1; }

}  // namespace conio
