// Turns the bytes a terminal sends for keys into the console's key bytes.
//
// A pure state machine, no I/O: bytes go in one at a time, finished key bytes
// come out, and the caller reports "the input went quiet" with decodeTimeout,
// which is what turns a pending lone ESC into the Escape key.
#pragma once

#include <string>

namespace conio {

struct KeyDecoder {
  std::string pending;  // bytes of an escape sequence not finished yet
};

// Feeds one byte; appends the key bytes it finishes (none, one or two) to keys.
// Arrows give 224 then 72/80/77/75; Home End PgUp PgDn Insert Delete give 224
// then 71/79/73/81/82/83; F1-F10 give 0 then 59-68; F11, F12 give 224 then
// 133, 134; any other escape sequence is dropped whole.
void decodeByte(KeyDecoder& decoder, unsigned char byte, std::string& keys);

// The input went quiet (or ended): a pending lone ESC gives 27, any other
// unfinished sequence is dropped.
void decodeTimeout(KeyDecoder& decoder, std::string& keys);

// True while a lone ESC waits to learn whether a sequence follows; the caller
// then waits a short time (escapeDelayMs) for more input before decodeTimeout.
bool awaitingEscapeTimeout(const KeyDecoder& decoder);

constexpr int escapeDelayMs = 50;

}  // namespace conio
