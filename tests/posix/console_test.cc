// The POSIX console on pipes: bytes become keys, no further key comes once input has
// ended, and code page 866 text leaves whole in UTF-8.
#include <errno.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "planned_faults.h"
#include "platform/platform.h"

namespace {

// A pipe holding bytes; with keepOpen its writing end stays open for more.
struct Pipe {
  explicit Pipe(const std::string& bytes, bool keepOpen = false) {
    EXPECT_EQ(pipe(fds), 0);
    Write(bytes);
    if (!keepOpen) CloseWriter();
  }
  ~Pipe() {
    CloseWriter();
    close(fds[0]);
  }
  void Write(const std::string& bytes) { EXPECT_GE(write(fds[1], bytes.data(), bytes.size()), 0); }
  void CloseWriter() {
    if (fds[1] >= 0) close(fds[1]);
    fds[1] = -1;
  }
  int fds[2];
};

using Keys = std::vector<uint32_t>;

// The characters of every key until input ends.
Keys KeysFrom(PlatformHandle input) {
  Keys keys;
  for (uint32_t key; (key = PlatformNextKey(input).character) != kNoMoreKeys;)
    keys.push_back(key);
  EXPECT_TRUE(PlannedFaults[kCallRead].empty());
  return keys;
}

TEST(PosixConsoleInput, BytesBecomeKeys) {
  struct Case {
    std::string bytes;
    Keys keys;
    std::deque<Fault> readFaults;
  };
  const Case cases[] = {
      // Characters of the user's charset.
      {"\xD0\xBF\xD1\x91", {0x043F, 0x0451}, {}},  // пё
      {"\xE2\x84\x96", {0x2116}, {}},              // №
      {"\xF0\x9F\x98\x80r", {0x1F600, 'r'}, {}},   // beyond 16 bits
      {std::string("\0", 1), {0}, {}},
      // An invalid byte is a key of its own; a cut character at the end is one key.
      {"\xFFr", {0xFFFD, 'r'}, {}},
      {"r\xD0", {'r', 0xFFFD}, {}},
      // Escape sequences, a lone Escape, and a sequence cut by the end of input.
      {"\x1B[A", {0}, {}},
      {"\x1BOD\x1B[1;5C\x1B[15~", {0, 0, 0}, {}},
      {"\x1B[Ar", {0, 'r'}, {}},
      {"\x1B", {0}, {}},
      {"\x1Br", {0, 'r'}, {}},
      {"\x1B[1;", {0}, {}},
      // Interrupted reads go on; a character or sequence read a byte at a time is one key.
      {"ab", {'a', 'b'}, {{EINTR, 0}, {EAGAIN, 0}}},
      {"\xD0\xBFr", {0x043F, 'r'}, {{0, 1}, {0, 1}}},
      {"\x1B[1;5Cr", {0, 'r'}, {{0, 1}, {0, 2}, {0, 1}}},
      // A failed read ends input.
      {"ab", {}, {{EIO, 0}}},
  };
  for (const Case& c : cases) {
    Pipe piped(c.bytes);
    PlannedFaults[kCallRead] = c.readFaults;
    EXPECT_EQ(KeysFrom(piped.fds[0]), c.keys) << testing::PrintToString(c.bytes);
  }

  // More keys than the queue holds, in order.
  std::string many;
  for (int i = 0; i < 300; ++i)
    many += static_cast<char>('a' + i % 26);
  EXPECT_EQ(KeysFrom(Pipe(many).fds[0]), Keys(many.begin(), many.end()));
  // A sequence that never ends is given up as one key once it fills the buffer.
  const Keys endless = KeysFrom(Pipe("\x1B[" + std::string(100, '1') + "A").fds[0]);
  EXPECT_TRUE(!endless.empty() && endless[0] == 0);

  // A sequence whose rest comes a little later.
  Pipe piped("\x1B[", true);
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    piped.Write("Ar");
    piped.CloseWriter();
  });
  const Keys keys = KeysFrom(piped.fds[0]);
  writer.join();
  EXPECT_EQ(keys, (Keys{0, 'r'}));
}

TEST(PosixConsoleInput, NoMoreKeysOnceInputHasEndedAndOnBadHandles) {
  int number;
  {
    Pipe piped("x");
    number = piped.fds[0];
    // Answers given by a script stay when the typed keys are discarded.
    PlatformDiscardKeys(number);
    EXPECT_EQ(PlatformNextKey(number).character, uint32_t{'x'});
    for (PlatformHandle input : {PlatformHandle{number}, kNoHandle, PlatformHandle{1000}}) {
      EXPECT_EQ(PlatformNextKey(input).character, kNoMoreKeys) << input;
      PlatformDiscardKeys(input);
    }
  }
  // Another pipe on the number of the one that ended starts afresh.
  Pipe again("r");
  ASSERT_EQ(again.fds[0], number);
  EXPECT_EQ(PlatformNextKey(number).character, uint32_t{'r'});
}

TEST(PosixConsoleOutput, TextLeavesWholeInTheUsersCharsetWithLinuxLineEnds) {
  const std::string privet = "\x8F\xE0\xA8\xA2\xA5\xE2";  // Привет
  const std::string longText(600, '\x9F');                // ЯЯЯ...
  std::string longUtf8;
  for (int i = 0; i < 600; ++i)
    longUtf8 += "Я";
  struct Case {
    std::vector<std::string> texts;  // written in turn, another stream's text between
    std::deque<Fault> writeFaults;
    std::string written;
  };
  const Case cases[] = {
      {{privet}, {}, "Привет"},
      {{privet}, {{EINTR, 0}, {0, 3}, {EINTR, 0}, {0, 1}}, "Привет"},
      {{longText}, {{0, 5}, {EINTR, 0}}, longUtf8},
      // Nothing to report to: a write that fails, or moves nothing, ends the text.
      {{privet}, {{EPIPE, 0}}, ""},
      {{longText}, {{0, 0}}, ""},
      // Each pair, CR LF or LF CR, is one line end, also split between two texts; a CR
      // or LF alone is one too.
      {{"a\r\nb\n\rc\r\rd\re"}, {}, "a\nb\nc\n\nd\ne"},
      {{"a\r", "\nb\n", "\rc"}, {}, "a\nb\nc"},
      {{"a\r", "b\r"}, {}, "a\nb\n"},
  };
  for (const Case& c : cases) {
    Pipe piped("", true);
    Pipe other("", true);
    PlannedFaults[kCallWrite] = c.writeFaults;
    for (const std::string& text : c.texts) {
      if (&text != &c.texts[0]) PlatformWriteConsole(other.fds[1], "x", 1);
      PlatformWriteConsole(piped.fds[1], text.data(), static_cast<uint32_t>(text.size()));
    }
    EXPECT_TRUE(PlannedFaults[kCallWrite].empty());
    piped.CloseWriter();
    std::string written(4096, 0);
    written.resize(std::max<ssize_t>(read(piped.fds[0], written.data(), written.size()), 0));
    EXPECT_EQ(written, c.written) << testing::PrintToString(c.texts);
  }
}

}  // namespace
