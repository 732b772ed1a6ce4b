// Console input of the POSIX layer on pipes: bytes become keys, each a press and a
// release, and the calls fail once no further key can come.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "errors_test_support.h"

namespace {

struct Key {
  BOOL down;
  uint32_t character;
  bool operator==(const Key&) const = default;
};

// Every event the handle delivers until input ends.
std::vector<Key> AllEvents(HANDLE input) {
  std::vector<Key> events;
  INPUT_RECORD record;
  DWORD read = 0;
  while (WaitForSingleObject(input, INFINITE) == WAIT_OBJECT_0 &&
         ReadConsoleInputW(input, &record, 1, &read) && read == 1) {
    EXPECT_EQ(record.EventType, KEY_EVENT);
    events.push_back({record.Event.KeyEvent.bKeyDown, record.Event.KeyEvent.uChar.UnicodeChar});
  }
  return events;
}

// The characters of the keys, checking that each is a press followed by its release.
std::vector<uint32_t> KeysOf(const std::string& bytes) {
  PipedKeys piped(bytes);
  const std::vector<Key> events = AllEvents(piped.handle());
  std::vector<uint32_t> keys;
  for (size_t i = 0; i + 1 < events.size(); i += 2) {
    EXPECT_EQ(events[i], (Key{TRUE, events[i].character}));
    EXPECT_EQ(events[i + 1], (Key{FALSE, events[i].character}));
    keys.push_back(events[i].character);
  }
  EXPECT_EQ(events.size() % 2, 0u);
  return keys;
}

using Keys = std::vector<uint32_t>;

TEST(ConsoleInput, CharactersOfTheUserCharsetAreKeys) {
  EXPECT_EQ(KeysOf("ab"), (Keys{'a', 'b'}));
  EXPECT_EQ(KeysOf("\xD0\xBF\xD1\x91"), (Keys{0x043F, 0x0451}));  // пё
  EXPECT_EQ(KeysOf("\xE2\x84\x96"), (Keys{0x2116}));              // №
  EXPECT_EQ(KeysOf("\xF0\x9F\x98\x80"
                   "r"),
            (Keys{0xFFFD, 'r'}));  // beyond 16 bits
  // An invalid byte is a key of its own; a cut character at the end is one key.
  EXPECT_EQ(KeysOf("\xFFr"), (Keys{0xFFFD, 'r'}));
  EXPECT_EQ(KeysOf("r\xD0"), (Keys{'r', 0xFFFD}));
  EXPECT_EQ(KeysOf(std::string("\0", 1)), (Keys{0}));
}

TEST(ConsoleInput, EscapeSequencesAreSingleKeys) {
  EXPECT_EQ(KeysOf("\x1B[A"), (Keys{0}));
  EXPECT_EQ(KeysOf("\x1BOD\x1B[1;5C\x1B[15~"), (Keys{0, 0, 0}));
  EXPECT_EQ(KeysOf("\x1B[Ar"), (Keys{0, 'r'}));
  // A lone Escape, at the end or before another key.
  EXPECT_EQ(KeysOf("\x1B"), (Keys{0}));
  EXPECT_EQ(KeysOf("\x1Br"), (Keys{0, 'r'}));
  // A sequence cut by the end of input is still one key.
  EXPECT_EQ(KeysOf("\x1B[1;"), (Keys{0}));
  // A sequence that never ends is given up as one key once it fills the buffer.
  const Keys endless = KeysOf("\x1B[" + std::string(100, '1') + "A");
  ASSERT_FALSE(endless.empty());
  EXPECT_EQ(endless.front(), 0u);
}

TEST(ConsoleInput, SequenceSplitAcrossWritesIsOneKey) {
  PipedKeys piped("\x1B", true);
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    piped.Write("[");
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    piped.Write("Ar");
    piped.CloseWriter();
  });
  const std::vector<Key> events = AllEvents(piped.handle());
  writer.join();
  EXPECT_EQ(events, (std::vector<Key>{{TRUE, 0}, {FALSE, 0}, {TRUE, 'r'}, {FALSE, 'r'}}));
}

TEST(ConsoleInput, ManyKeysArriveInOrder) {
  std::string bytes;
  Keys expected;
  for (int i = 0; i < 300; ++i) {
    bytes += static_cast<char>('a' + i % 26);
    expected.push_back('a' + i % 26);
  }
  EXPECT_EQ(KeysOf(bytes), expected);
}

TEST(ConsoleInput, CallsFailOnceInputHasEnded) {
  PipedKeys piped("x");
  const HANDLE input = piped.handle();
  DWORD count = 0;
  ASSERT_TRUE(GetNumberOfConsoleInputEvents(input, &count));
  EXPECT_EQ(count, 2u);
  INPUT_RECORD records[4];
  DWORD read = 0;
  ASSERT_TRUE(ReadConsoleInputW(input, records, 4, &read));
  EXPECT_EQ(read, 2u);

  EXPECT_EQ(WaitForSingleObject(input, INFINITE), WAIT_FAILED);
  EXPECT_FALSE(GetNumberOfConsoleInputEvents(input, &count));
  EXPECT_FALSE(ReadConsoleInputW(input, records, 4, &read));
  EXPECT_EQ(read, 0u);
}

TEST(ConsoleInput, FlushKeepsScriptedKeys) {
  PipedKeys piped("r");
  const HANDLE input = piped.handle();
  DWORD count = 0;
  ASSERT_TRUE(GetNumberOfConsoleInputEvents(input, &count));
  ASSERT_EQ(count, 2u);
  EXPECT_TRUE(FlushConsoleInputBuffer(input));
  ASSERT_TRUE(GetNumberOfConsoleInputEvents(input, &count));
  EXPECT_EQ(count, 2u);
}

TEST(ConsoleInput, TimedWaitOnAnOpenEmptyPipe) {
  PipedKeys piped("", true);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(piped.handle(), 50), WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(45));
  DWORD count = 1;
  EXPECT_TRUE(GetNumberOfConsoleInputEvents(piped.handle(), &count));
  EXPECT_EQ(count, 0u);
  piped.Write("r");
  EXPECT_EQ(WaitForSingleObject(piped.handle(), 1000), WAIT_OBJECT_0);
}

TEST(ConsoleInput, ReusedDescriptorStartsAfresh) {
  int fd;
  {
    PipedKeys first("");
    fd = FdFromHandle(first.handle());
    EXPECT_EQ(WaitForSingleObject(first.handle(), INFINITE), WAIT_FAILED);
  }
  PipedKeys second("r");
  ASSERT_EQ(FdFromHandle(second.handle()), fd);  // the same number, another pipe
  EXPECT_EQ(WaitForSingleObject(second.handle(), INFINITE), WAIT_OBJECT_0);
}

TEST(ConsoleInput, BadHandlesFail) {
  DWORD count;
  EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, INFINITE), WAIT_FAILED);
  EXPECT_FALSE(GetNumberOfConsoleInputEvents(nullptr, &count));
  EXPECT_FALSE(FlushConsoleInputBuffer(HandleFromFd(1000)));
}

}  // namespace
