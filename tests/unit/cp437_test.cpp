// The code page 437 tables: every byte's glyph against the standard chart,
// the ASCII stand-ins, and the way back from typed characters.
#include "console/cp437.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using conio::cp437ToAscii;
using conio::cp437ToUtf8;
using conio::unicodeToCp437;

// The code points of the chart, written independently of the table under
// test: the picture glyphs of bytes 0x00-0x1F (byte 0 shows a blank)...
constexpr char32_t controlRange[32] = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};
// ...and the upper half, bytes 0x80-0xFF.
constexpr char32_t upperHalf[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // 0xE0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

char32_t chartCodePoint(int byte) {
  if (byte < 32) return controlRange[byte];
  if (byte == 127) return 0x2302;
  if (byte < 128) return static_cast<char32_t>(byte);
  return upperHalf[byte - 128];
}

// Decodes well-formed UTF-8 strictly; an empty result marks malformed input.
std::vector<char32_t> decode(std::string_view text) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1
                          : (lead & 0xE0) == 0xC0 ? 2
                          : (lead & 0xF0) == 0xE0 ? 3
                          : (lead & 0xF8) == 0xF0 ? 4
                                                  : 0;
    if (length == 0 || i + length > text.size()) return {};
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return {};
      cp = (cp << 6) | (next & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < smallest[length]) return {};  // overlong
    out.push_back(cp);
    i += length;
  }
  return out;
}

TEST(Cp437, EveryByteShowsItsChartGlyphAsOneCodePoint) {
  for (int byte = 0; byte < 256; ++byte) {
    const auto glyph = cp437ToUtf8(static_cast<unsigned char>(byte));
    EXPECT_EQ(decode(glyph), std::vector<char32_t>{chartCodePoint(byte)}) << "byte " << byte;
  }
}

TEST(Cp437, NoByteReachesTheTerminalAsAControlCharacter) {
  for (int byte = 0; byte < 256; ++byte) {
    for (char32_t cp : decode(cp437ToUtf8(static_cast<unsigned char>(byte)))) {
      EXPECT_GE(cp, 0x20u) << "byte " << byte;
      EXPECT_FALSE(cp >= 0x7F && cp < 0xA0) << "byte " << byte;
    }
  }
}

TEST(Cp437, TheMapGlyphsInUtf8) {
  EXPECT_EQ(cp437ToUtf8(1), "\u263A");    // villager
  EXPECT_EQ(cp437ToUtf8(2), "\u263B");    // party
  EXPECT_EQ(cp437ToUtf8(177), "\u2592");  // village exit, door
  EXPECT_EQ(cp437ToUtf8(178), "\u2593");  // field exit
  EXPECT_EQ(cp437ToUtf8(219), "\u2588");  // wall
  EXPECT_EQ(cp437ToUtf8(0), " ");
  EXPECT_EQ(cp437ToUtf8(' '), " ");
  EXPECT_EQ(cp437ToUtf8('A'), "A");
}

TEST(Cp437, AsciiStandInsArePrintableAndKeepAsciiAsItIs) {
  for (int byte = 0; byte < 256; ++byte) {
    const char c = cp437ToAscii(static_cast<unsigned char>(byte));
    EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << "byte " << byte;
    if (byte >= 0x20 && byte <= 0x7E) {
      EXPECT_EQ(c, byte);
    }
  }
}

TEST(Cp437, AsciiStandInsOfTheMapTellGlyphsApart) {
  struct Case {
    unsigned char byte;
    char standIn;
  } cases[] = {
      {0, ' '},   {255, ' '}, {1, 'o'},   {2, '@'},   {177, ':'}, {178, '%'},
      {219, '#'}, {176, '.'}, {130, 'e'}, {154, 'U'}, {196, '-'}, {179, '|'},
      {205, '='}, {24, '^'},  {25, 'v'},  {26, '>'},  {27, '<'},
  };
  for (const Case& c : cases) EXPECT_EQ(cp437ToAscii(c.byte), c.standIn) << "byte " << int{c.byte};
  // Party, villager, exit and wall must differ, or the map cannot be read.
  const std::set<char> map = {cp437ToAscii(1), cp437ToAscii(2), cp437ToAscii(177), cp437ToAscii(178),
                              cp437ToAscii(219)};
  EXPECT_EQ(map.size(), 5u);
}

TEST(Cp437, UnicodeFindsEveryByteOfTheChart) {
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == ' ') continue;
    EXPECT_EQ(unicodeToCp437(chartCodePoint(byte)), byte) << "byte " << byte;
  }
}

TEST(Cp437, UnicodeBelow128IsItselfAndUnknownIsQuestionMark) {
  for (char32_t cp = 0; cp < 128; ++cp) EXPECT_EQ(unicodeToCp437(cp), cp);
  EXPECT_EQ(unicodeToCp437(U'é'), 130);
  EXPECT_EQ(unicodeToCp437(U'Ñ'), 165);
  EXPECT_EQ(unicodeToCp437(0x00A0), 255);
  EXPECT_EQ(unicodeToCp437(0x20AC), '?');  // euro sign
  EXPECT_EQ(unicodeToCp437(0x00C0), '?');  // A with grave: not in the code page
  EXPECT_EQ(unicodeToCp437(0x4E2D), '?');
  EXPECT_EQ(unicodeToCp437(0x1F600), '?');
  EXPECT_EQ(unicodeToCp437(0x80), '?');    // a C1 control is no glyph
}

}  // namespace
