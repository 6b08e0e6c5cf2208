// The key decoder as one table: terminal bytes in, console key bytes out.
#include "console/keydecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct Row {
  const char* what;
  // The bytes of each read. Between two reads the input goes quiet, and the
  // test does what the reader does: a lone ESC then times out.
  std::vector<std::string> reads;
  bool thenTimeout;  // the input goes quiet (or ends) after the last read
  std::vector<int> keys;
};

const std::string overLong = "\033[" + std::string(100, '1') + "A";
const std::string veryLong = "\033[" + std::string(5000, ';') + "~";

const Row rows[] = {
    // Ordinary bytes pass through unchanged.
    {"letter", {"a"}, false, {'a'}},
    {"Enter stays 13", {"\r"}, false, {13}},
    {"line feed stays 10", {"\n"}, false, {10}},
    {"space and q", {" q"}, false, {32, 'q'}},
    {"byte 0", {"\0"s}, false, {0}},
    {"byte 128", {"\200"}, false, {128}},
    {"byte 224", {"\340"}, false, {224}},
    {"byte 255", {"\377"}, false, {255}},
    // Arrows, CSI and SS3, plain and with modifiers.
    {"CSI up", {"\033[A"}, false, {224, 72}},
    {"CSI down", {"\033[B"}, false, {224, 80}},
    {"CSI right", {"\033[C"}, false, {224, 77}},
    {"CSI left", {"\033[D"}, false, {224, 75}},
    {"SS3 up", {"\033OA"}, false, {224, 72}},
    {"SS3 down", {"\033OB"}, false, {224, 80}},
    {"SS3 right", {"\033OC"}, false, {224, 77}},
    {"SS3 left", {"\033OD"}, false, {224, 75}},
    {"Ctrl up", {"\033[1;5A"}, false, {224, 72}},
    {"Shift down", {"\033[1;2B"}, false, {224, 80}},
    {"Alt right", {"\033[1;3C"}, false, {224, 77}},
    {"SS3 modified left", {"\033O5D"}, false, {224, 75}},
    // Home, End, PgUp, PgDn, Insert, Delete.
    {"CSI Home", {"\033[H"}, false, {224, 71}},
    {"CSI End", {"\033[F"}, false, {224, 79}},
    {"SS3 Home", {"\033OH"}, false, {224, 71}},
    {"SS3 End", {"\033OF"}, false, {224, 79}},
    {"Ctrl Home", {"\033[1;5H"}, false, {224, 71}},
    {"Home 1~", {"\033[1~"}, false, {224, 71}},
    {"Home 7~", {"\033[7~"}, false, {224, 71}},
    {"End 4~", {"\033[4~"}, false, {224, 79}},
    {"End 8~", {"\033[8~"}, false, {224, 79}},
    {"Insert", {"\033[2~"}, false, {224, 82}},
    {"Delete", {"\033[3~"}, false, {224, 83}},
    {"Ctrl Delete", {"\033[3;5~"}, false, {224, 83}},
    {"PgUp", {"\033[5~"}, false, {224, 73}},
    {"Shift PgUp", {"\033[5;2~"}, false, {224, 73}},
    {"PgDn", {"\033[6~"}, false, {224, 81}},
    // Function keys.
    {"SS3 F1", {"\033OP"}, false, {0, 59}},
    {"SS3 F2", {"\033OQ"}, false, {0, 60}},
    {"SS3 F3", {"\033OR"}, false, {0, 61}},
    {"SS3 F4", {"\033OS"}, false, {0, 62}},
    {"Shift F1", {"\033[1;2P"}, false, {0, 59}},
    {"Ctrl F4", {"\033[1;5S"}, false, {0, 62}},
    {"F1 11~", {"\033[11~"}, false, {0, 59}},
    {"F2 12~", {"\033[12~"}, false, {0, 60}},
    {"F3 13~", {"\033[13~"}, false, {0, 61}},
    {"F4 14~", {"\033[14~"}, false, {0, 62}},
    {"F5", {"\033[15~"}, false, {0, 63}},
    {"F6", {"\033[17~"}, false, {0, 64}},
    {"F7", {"\033[18~"}, false, {0, 65}},
    {"F8", {"\033[19~"}, false, {0, 66}},
    {"F9", {"\033[20~"}, false, {0, 67}},
    {"F10", {"\033[21~"}, false, {0, 68}},
    {"F11", {"\033[23~"}, false, {224, 133}},
    {"F12", {"\033[24~"}, false, {224, 134}},
    {"Ctrl F12", {"\033[24;5~"}, false, {224, 134}},
    {"Linux console F1", {"\033[[A"}, false, {0, 59}},
    {"Linux console F5", {"\033[[E"}, false, {0, 63}},
    // Anything else is dropped whole, and the key after it survives.
    {"Shift Tab", {"\033[Zx"}, false, {'x'}},
    {"unused tilde number", {"\033[16~x"}, false, {'x'}},
    {"SS3 tilde", {"\033O2~x"}, false, {'x'}},
    {"SGR mouse report", {"\033[<0;10;5Mx"}, false, {'x'}},
    {"X10 mouse report", {"\033[M !!x"}, false, {'x'}},
    {"device attributes report", {"\033[?1;2cq"}, false, {'q'}},
    {"bracketed paste start", {"\033[200~a"}, false, {'a'}},
    {"over-long sequence", {overLong + "q"}, false, {'q'}},
    {"very long sequence", {veryLong + "q"}, false, {'q'}},
    {"Linux console unknown", {"\033[[Zq"}, false, {'q'}},
    // Sequences that arrive in several reads still make one key.
    {"CSI split after [", {"\033[", "A"}, false, {224, 72}},
    {"CSI split in parameters", {"\033[1;", "5A"}, false, {224, 72}},
    {"SS3 split", {"\033O", "P"}, false, {0, 59}},
    {"F12 split", {"\033[2", "4~"}, false, {224, 134}},
    {"arrow after arrow", {"\033[A\033[B"}, false, {224, 72, 224, 80}},
    // ESC before another byte.
    {"ESC ESC [ A", {"\033\033[A"}, false, {224, 72}},
    {"ESC ESC then quiet", {"\033\033"}, true, {27}},
    {"Alt x", {"\033x"}, false, {'x'}},
    {"Alt Enter", {"\033\r"}, false, {13}},
    {"ESC ESC x", {"\033\033x"}, false, {'x'}},
    {"ESC then byte 200", {"\033\310"}, false, {200}},
    {"ESC cuts an unfinished sequence", {"\033[1;\033[B"}, false, {224, 80}},
    // Timeouts: only a lone ESC gives 27.
    {"lone ESC", {"\033"}, true, {27}},
    {"ESC, quiet, then [A typed", {"\033", "[A"}, false, {27, '[', 'A'}},
    {"ESC, quiet, then up", {"\033", "\033[A"}, false, {27, 224, 72}},
    {"ESC waits without a timeout", {"\033"}, false, {}},
    {"CSI then quiet", {"\033["}, true, {}},
    {"SS3 then quiet", {"\033O"}, true, {}},
    {"partial CSI then quiet", {"\033[1;5"}, true, {}},
    {"partial CSI, quiet, next key", {"\033[1;5", "q"}, false, {}},
    {"Linux console prefix then quiet", {"\033[["}, true, {}},
    {"mouse report cut off", {"\033[M !"}, true, {}},
    {"letter then quiet", {"a"}, true, {'a'}},
};

std::vector<int> asInts(const std::string& bytes) {
  std::vector<int> ints;
  for (const char c : bytes) ints.push_back(static_cast<unsigned char>(c));
  return ints;
}

TEST(KeyDecoder, Table) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    conio::KeyDecoder decoder;
    std::string keys;
    for (std::size_t i = 0; i < row.reads.size(); ++i) {
      if (i > 0 && conio::awaitingEscapeTimeout(decoder)) conio::decodeTimeout(decoder, keys);
      for (const char c : row.reads[i]) {
        conio::decodeByte(decoder, static_cast<unsigned char>(c), keys);
        ASSERT_LE(decoder.pending.size(), 64u);
      }
    }
    if (row.thenTimeout) {
      conio::decodeTimeout(decoder, keys);
      EXPECT_TRUE(decoder.pending.empty());
    }
    EXPECT_EQ(asInts(keys), row.keys);
  }
}

}  // namespace
