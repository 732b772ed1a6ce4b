// The operator prompt: which keys answer, which are passed over, and what happens when
// no further key can come.
#include <gtest/gtest.h>

#include "errors/error_context.h"
#include "errors_test_support.h"
#include "process_records.h"

namespace {

// Every prompt records its answer in the error context; each test puts it back.
class Prompt : public ::testing::Test {
  KeepProcessRecords records_;
};

uint16_t AnswerTo(const std::string& keys) {
  PipedKeys piped(keys);
  ErrorContext.answer = kAnswerNone;
  return AskOperator();
}

TEST_F(Prompt, TwelveKeysAnswer) {
  const struct {
    const char* key;  // UTF-8, the charset of the tests' environment
    uint16_t answer;
  } cases[] = {
      {"I", kAnswerIgnore},        {"i", kAnswerIgnore},        {"\xD0\x98", kAnswerIgnore},
      {"\xD0\xB8", kAnswerIgnore}, {"R", kAnswerRepeat},        {"r", kAnswerRepeat},
      {"\xD0\x9F", kAnswerRepeat}, {"\xD0\xBF", kAnswerRepeat}, {"A", kAnswerAbort},
      {"a", kAnswerAbort},         {"\xD0\x9E", kAnswerAbort},  {"\xD0\xBE", kAnswerAbort},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnswerTo(c.key), c.answer) << c.key;
    EXPECT_EQ(ErrorContext.answer, c.answer);
  }
}

TEST_F(Prompt, OtherKeysArePassedOver) {
  // Each is followed by "i": an answer other than Ignore means the key itself counted.
  const char* const others[] = {
      "x",
      " ",
      "\r",
      "\n",
      "P",
      "o",
      "\xD0\xA0",
      /* Р */ "\xD0\x90",
      /* А */ "\xD0\xB0",
      /* а */ "\xD0\xB9", /* й */
      "\x1B",
      "\x1B[A",
      "\x1BOA",
      "\x1B[1;5D",
      "\x1B[15~",
      "\xFF",
      "\x01",
  };
  for (const char* other : others)
    EXPECT_EQ(AnswerTo(std::string(other) + "i"), kAnswerIgnore) << other;
}

TEST_F(Prompt, FirstAcceptedKeyAnswers) {
  EXPECT_EQ(AnswerTo("x r"), kAnswerRepeat);
  EXPECT_EQ(AnswerTo("xaR"), kAnswerAbort);
  EXPECT_EQ(AnswerTo("\xD0\xBF"
                     "a"),
            kAnswerRepeat);
}

TEST_F(Prompt, AbortsWhenNoFurtherKeyCanCome) {
  EXPECT_EQ(AnswerTo(""), kAnswerAbort);
  EXPECT_EQ(AnswerTo("x\n\x1B[D"), kAnswerAbort);

  // A descriptor that is not open at all.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  close(fds[1]);
  const HANDLE saved = StdHandles.input;
  StdHandles.input = HandleFromFd(fds[0]);
  ErrorContext.answer = kAnswerNone;
  EXPECT_EQ(AskOperator(), kAnswerAbort);
  EXPECT_EQ(WaitKeyRelease(), kNoMoreKeys);
  StdHandles.input = saved;
}

TEST_F(Prompt, WaitKeyReleaseGivesTheCharacter) {
  PipedKeys piped(
      "\xD0\x81"
      "\x1B[B",
      true);  // Ё, then an arrow
  EXPECT_EQ(WaitKeyRelease(), 0x0401u);
  EXPECT_EQ(WaitKeyRelease(), 0u);
  piped.CloseWriter();
  EXPECT_EQ(WaitKeyRelease(), kNoMoreKeys);
}

}  // namespace

namespace {

INPUT_RECORD KeyRecord(BOOL down, WCHAR character) {
  INPUT_RECORD record = {};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down;
  record.Event.KeyEvent.wRepeatCount = 1;
  record.Event.KeyEvent.uChar.UnicodeChar = character;
  return record;
}

INPUT_RECORD OtherRecord() {
  INPUT_RECORD record = {};
  record.EventType = 0x0010;  // a focus event
  return record;
}

// Serves the given records as the console input while it lives.
class PlannedRecords {
 public:
  explicit PlannedRecords(std::vector<INPUT_RECORD> records) : records_(std::move(records)) {
    PlatformSeams.plannedInput = {records_.data(), static_cast<DWORD>(records_.size()), 0, 0};
  }
  ~PlannedRecords() { PlatformSeams.plannedInput = {}; }
  DWORD served() const { return PlatformSeams.plannedInput.next; }
  DWORD flushes() const { return PlatformSeams.plannedInput.flushes; }

 private:
  std::vector<INPUT_RECORD> records_;
};

TEST_F(Prompt, OnlyAReleaseCounts) {
  // Presses, repeats and other events are passed over; a key held before the prompt
  // counts when it is let go.
  PlannedRecords planned({KeyRecord(TRUE, 'a'), KeyRecord(TRUE, 'a'), OtherRecord(),
                          KeyRecord(TRUE, 'x'), KeyRecord(FALSE, 'r'), KeyRecord(FALSE, 'a')});
  ErrorContext.answer = kAnswerNone;
  EXPECT_EQ(AskOperator(), kAnswerRepeat);
  EXPECT_EQ(planned.served(), 5u);
  EXPECT_EQ(planned.flushes(), 1u);
}

TEST_F(Prompt, InputIsFlushedBeforeEveryWait) {
  PlannedRecords planned({KeyRecord(FALSE, 'x'), KeyRecord(FALSE, 0), KeyRecord(FALSE, 0x0439),
                          KeyRecord(FALSE, 0x041E)});
  ErrorContext.answer = kAnswerNone;
  EXPECT_EQ(AskOperator(), kAnswerAbort);
  EXPECT_EQ(planned.flushes(), 4u);
}

TEST_F(Prompt, PressesAloneNeverAnswer) {
  PlannedRecords planned({KeyRecord(TRUE, 'r'), KeyRecord(TRUE, 'i'), OtherRecord()});
  EXPECT_EQ(WaitKeyRelease(), kNoMoreKeys);
  EXPECT_EQ(planned.served(), 3u);
}

}  // namespace
