// Code page 437 as the terminal shows it: the UTF-8 glyph of every byte, an
// ASCII stand-in for terminals without UTF-8, and the way back from a Unicode
// code point to a byte for typed names.
//
// The glyphs are written out below as text, sixteen to a line, so that the
// table reads like the code page chart; the byte-indexed tables are derived
// from it when the program is compiled. No locale function is involved.
#include "console/cp437.h"

#include <array>
#include <cstddef>

namespace conio {
namespace {

// The 256 glyphs, row n holding bytes 16n to 16n+15. Byte 0 shows as a blank;
// the control range shows its classic picture glyphs; 255 is a no-break space.
constexpr std::string_view glyphRows[16] = {
    " ☺☻♥♦♣♠•◘○◙♂♀♪♫☼",  // 0x00
    "►◄↕‼¶§▬↨↑↓→←∟↔▲▼",  // 0x10
    " !\"#$%&'()*+,-./",  // 0x20
    "0123456789:;<=>?",   // 0x30
    "@ABCDEFGHIJKLMNO",   // 0x40
    "PQRSTUVWXYZ[\\]^_",  // 0x50
    "`abcdefghijklmno",   // 0x60
    "pqrstuvwxyz{|}~⌂",   // 0x70
    "ÇüéâäàåçêëèïîìÄÅ",   // 0x80
    "ÉæÆôöòûùÿÖÜ¢£¥₧ƒ",   // 0x90
    "áíóúñÑªº¿⌐¬½¼¡«»",   // 0xA0
    "░▒▓│┤╡╢╖╕╣║╗╝╜╛┐",   // 0xB0
    "└┴┬├─┼╞╟╚╔╩╦╠═╬╧",   // 0xC0
    "╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀",   // 0xD0
    "αßΓπΣσµτΦΘΩδ∞φε∩",   // 0xE0
    "≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0",  // 0xF0
};

// The ASCII stand-ins, same layout: faces become o and @, arrows and
// triangles point with < > ^ v, box lines become + - | =, shades and blocks
// keep their weight (. : % #), accented letters lose their accents.
constexpr std::string_view asciiRows[16] = {
    " o@v*%^.#oOMFdd*",  // 0x00
    "><|!PS_|^v><L-^v",  // 0x10
    " !\"#$%&'()*+,-./",  // 0x20
    "0123456789:;<=>?",  // 0x30
    "@ABCDEFGHIJKLMNO",  // 0x40
    "PQRSTUVWXYZ[\\]^_",  // 0x50
    "`abcdefghijklmno",  // 0x60
    "pqrstuvwxyz{|}~^",  // 0x70
    "CueaaaaceeeiiiAA",  // 0x80
    "EaAooouuyOUcLYPf",  // 0x90
    "aiounNao?--%%!<>",  // 0xA0
    ".:%|++++++|+++++",  // 0xB0
    "++++-++++++++=++",  // 0xC0
    "+++++++++++#####",  // 0xD0
    "aBGpSsutFOOd8fen",  // 0xE0
    "=+><()/~o..vn2# ",  // 0xF0
};

// One glyph: its UTF-8 bytes and the code point they encode.
struct Glyph {
  char bytes[4] = {};
  std::size_t length = 0;
  char32_t codePoint = 0;
};

// Decodes the UTF-8 sequence that starts at text[at]; returns its length.
constexpr std::size_t decodeUtf8(std::string_view text, std::size_t at, char32_t& codePoint) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  codePoint = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i)
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
  return length;
}

constexpr std::array<Glyph, 256> buildGlyphs() {
  std::array<Glyph, 256> glyphs{};
  for (std::size_t row = 0; row < 16; ++row) {
    std::size_t at = 0;
    for (std::size_t column = 0; column < 16; ++column) {
      Glyph& g = glyphs[row * 16 + column];
      g.length = decodeUtf8(glyphRows[row], at, g.codePoint);
      for (std::size_t i = 0; i < g.length; ++i) g.bytes[i] = glyphRows[row][at + i];
      at += g.length;
    }
    // A row with more or fewer than 16 glyphs is a typing error in the table.
    if (at != glyphRows[row].size()) throw "glyph row is not 16 glyphs long";
  }
  return glyphs;
}

constexpr std::array<Glyph, 256> glyphs = buildGlyphs();

static_assert([] {
  for (std::string_view row : asciiRows)
    if (row.size() != 16) return false;
  return true;
}(), "every ASCII row holds 16 stand-ins");

}  // namespace

std::string_view cp437ToUtf8(unsigned char byte) {
  return {glyphs[byte].bytes, glyphs[byte].length};
}

char cp437ToAscii(unsigned char byte) { return asciiRows[byte / 16][byte % 16]; }

unsigned char unicodeToCp437(char32_t codePoint) {
  if (codePoint < 128) return static_cast<unsigned char>(codePoint);
  for (int byte = 1; byte < 256; ++byte)
    if (glyphs[static_cast<std::size_t>(byte)].codePoint == codePoint) return static_cast<unsigned char>(byte);
  return '?';
}

}  // namespace conio
