// Code page 437: how each byte looks in Unicode, and the way back for input.
#pragma once

#include <string>
#include <string_view>

namespace conio {

// The UTF-8 text of the character that byte shows (byte 0 shows a blank).
std::string_view cp437ToUtf8(unsigned char byte);
// A printable ASCII stand-in for the byte, for terminals that cannot show UTF-8.
char cp437ToAscii(unsigned char byte);
// The code page 437 byte of a Unicode code point, or '?' where it has none.
// Code points below 128 map to themselves.
unsigned char unicodeToCp437(char32_t codePoint);

}  // namespace conio
