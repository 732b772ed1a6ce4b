// The critical-error entry: the decision for every kind and answer, and the step over
// the interrupted instruction.
#include "hard_error/hard_error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "errors/error_context.h"
#include "errors_test_support.h"

namespace {

TEST(HardErrorInstruction, LengthByPrefixAndOperandForm) {
  struct Case {
    uint8_t code[4];
    uint16_t length;
  };
  const Case cases[] = {
      {{0x67, 0x8B, 0x80, 0}, 7},     // address-size prefix, mod 2: four-byte displacement
      {{0x8B, 0x80, 0, 0}, 4},        // mod 2 without the prefix
      {{0x8B, 0x06, 0, 0}, 4},        // mod 0, r/m 6: a direct address
      {{0x8B, 0x07, 0, 0}, 4},        // r/m 7 with mod 0 takes the same four
      {{0x8B, 0xC4, 0, 0}, 3},        // mod 3, r/m 4: the scale-index byte counts
      {{0x8B, 0x00, 0, 0}, 2},        // mod 0
      {{0x8B, 0x40, 0, 0}, 3},        // mod 1
      {{0x66, 0x8B, 0x40, 0}, 4},     // operand-size prefix
      {{0x67, 0x66, 0x8B, 0x84}, 9},  // both prefixes, mod 2, scale-index byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HardErrorInstructionLength(c.code, 4), c.length)
        << std::hex << int(c.code[0]) << " " << int(c.code[1]);
  }
}

TEST(HardErrorInstruction, LooksOnlyAtTheBytesItNeeds) {
  // Each in a buffer of exactly its own size, so that a look past it is caught.
  struct Case {
    std::vector<uint8_t> code;
    uint16_t length;  // 0: a byte the rules need is missing
  };
  const Case cases[] = {
      {{0x8B, 0xC0}, 2}, {{0x8B, 0x06}, 4}, {{0x67, 0x8B, 0x80}, 7}, {{0x66, 0x8B, 0x40}, 4},
      {{0x8B}, 0},       {{0x67, 0x8B}, 0}, {{0x67, 0x66, 0x8B}, 0}, {{}, 0},
  };
  for (const Case& c : cases) {
    const auto code = std::make_unique<uint8_t[]>(c.code.size());
    std::copy(c.code.begin(), c.code.end(), code.get());
    EXPECT_EQ(HardErrorInstructionLength(code.get(), static_cast<uint32_t>(c.code.size())),
              c.length)
        << c.code.size() << " bytes";
  }
}

class HardErrorTest : public FakeDoorTest {
 protected:
  void SetUp() override {
    SetHardErrorConsole(console_);
    MapCodeSegment(0x1B, code_, sizeof code_);
    frame_ = {0x100, 0x2B, 0, 0, 0, 0x10, 0x1B, 0x202};
  }
  void TearDown() override { MapCodeSegment(0, nullptr, 0); }

  void Answer(char key) { FakePlanKeys(std::u16string(1, static_cast<char16_t>(key))); }

  uint8_t code_[32] = {0};
  HardErrorFrame frame_;
};

TEST_F(HardErrorTest, DecisionForEveryKindAndAnswer) {
  code_[0x10] = 0x8B;  // an instruction of 4 bytes at the interrupted offset
  code_[0x11] = 0x06;
  struct Case {
    uint16_t kind;
    uint16_t code;
    char key;
    uint16_t decision;
    uint16_t offset;
  };
  const Case cases[] = {
      {1, 38, 'i', kHardErrorResume, 0x14},   {1, 38, 'r', kHardErrorResume, 0x14},
      {1, 38, 'a', kHardErrorEnd, 0x10},      {4, 38, 'i', kHardErrorResume, 0x14},
      {4, 38, 'a', kHardErrorEnd, 0x10},      {2, 22, 'r', kHardErrorResume, 0x10},
      {2, 22, 'i', kHardErrorEnd, 0x10},      {2, 22, 'a', kHardErrorEnd, 0x10},
      {3, 40, 'r', kHardErrorResume, 0x10},   {3, 40, 'i', kHardErrorEnd, 0x10},
      {0, 31, 'r', kHardErrorResume, 0x10},   {5, 31, 'i', kHardErrorEnd, 0x10},
      {35, 31, 'a', kHardErrorEnd, 0x10},     {37, 31, 'r', kHardErrorResume, 0x10},
      {0xFFFF, 31, 'i', kHardErrorEnd, 0x10},
  };
  for (const Case& c : cases) {
    FakePlatformReset();  // a clean slate for each case
    SetUp();
    frame_.kind = c.kind;
    Answer(c.key);
    EXPECT_EQ(DecideHardError(console_, &frame_), c.decision) << c.kind << c.key;
    EXPECT_EQ(frame_.instructionOffset, c.offset) << c.kind << c.key;
    EXPECT_NE(FakeConsoleText().find("Error : code - " + std::to_string(c.code) + "\r\n"),
              std::string::npos)
        << c.kind;
    EXPECT_NE(FakeConsoleText().find("Cause : system failure"), std::string::npos) << c.kind;
    EXPECT_NE(FakeConsoleText().find("Recommendations : end application"), std::string::npos);
  }
}

TEST_F(HardErrorTest, Kind36ReportsTheSystemsLastError) {
  frame_.kind = 36;
  FakePlatform.lastError = 13;
  Answer('r');
  EXPECT_EQ(DecideHardError(console_, &frame_), kHardErrorResume);
  EXPECT_NE(FakeConsoleText().find("Error : code - 13\r\n"), std::string::npos);
  EXPECT_NE(FakeConsoleText().find("Cause : cause unknown"), std::string::npos);
}

TEST_F(HardErrorTest, Kind6ResumesWithoutAReport) {
  frame_.kind = 6;
  EXPECT_EQ(DecideHardError(console_, &frame_), kHardErrorResume);
  EXPECT_EQ(frame_.instructionOffset, 0x10);
  EXPECT_EQ(FakeConsoleText(), "");
}

TEST_F(HardErrorTest, CodeThatCannotBeReadIsNotSteppedOver) {
  frame_.kind = 1;
  frame_.instructionOffset = 31;  // the operand form would lie past the mapped bytes
  Answer('r');
  EXPECT_EQ(DecideHardError(console_, &frame_), kHardErrorEnd);
  frame_.instructionSegment = 0x77;
  frame_.instructionOffset = 0;
  Answer('r');
  EXPECT_EQ(DecideHardError(console_, &frame_), kHardErrorEnd);
}

TEST_F(HardErrorTest, ShortInstructionAtTheEndOfItsSegmentIsSteppedOver) {
  // A two-byte instruction in the last two bytes of a segment mapped from a buffer of
  // exactly its size: nothing past it is read.
  const auto segment = std::make_unique<uint8_t[]>(16);
  segment[14] = 0x8B;
  segment[15] = 0xC0;
  MapCodeSegment(0x1B, segment.get(), 16);
  frame_ = {0, 0, 0, 4, 0, 14, 0x1B, 0};
  Answer('i');
  EXPECT_EQ(DecideHardError(console_, &frame_), kHardErrorResume);
  EXPECT_EQ(frame_.instructionOffset, 16);
  EXPECT_NE(FakeConsoleText().find("Cause : system failure"), std::string::npos);

  // The operand form past the end, or behind a prefix that ends the segment: refused.
  for (uint16_t offset : {15, 14}) {
    segment[14] = 0x67;
    frame_.instructionOffset = offset;
    Answer('i');
    EXPECT_EQ(DecideHardError(console_, &frame_), kHardErrorEnd) << offset;
    EXPECT_EQ(frame_.instructionOffset, offset);
  }
}

TEST_F(HardErrorTest, OffsetWrapsAsASixteenBitWord) {
  MapCodeSegment(0x1B, nullptr, 0);
  static uint8_t high[0x10000];
  high[0xFFFE] = 0x8B;
  high[0xFFFF] = 0xC0;
  MapCodeSegment(0x1B, high, 0x10000);
  frame_ = {0, 0, 0, 1, 0, 0xFFFE, 0x1B, 0};
  FakePlanKeys(u"iii");
  EXPECT_EQ(DecideHardError(console_, &frame_), kHardErrorResume);
  EXPECT_EQ(frame_.instructionOffset, 0);
  high[0xFFFC] = 0x8B;
  high[0xFFFD] = 0x06;
  frame_.instructionOffset = 0xFFFC;
  EXPECT_EQ(DecideHardError(console_, &frame_), kHardErrorResume);
  EXPECT_EQ(frame_.instructionOffset, 0);
  // An operand form would lie at offset 0x10000: the read does not wrap to offset 0.
  high[0] = 0x06;
  frame_.instructionOffset = 0xFFFF;
  EXPECT_EQ(DecideHardError(console_, &frame_), kHardErrorEnd);
  EXPECT_EQ(frame_.instructionOffset, 0xFFFF);
}

TEST_F(HardErrorTest, EntryEndsTheProgramOnAbort) {
  frame_.kind = 2;
  Answer('a');
  EXPECT_PLATFORM_EXIT(winHardErrorHandle(&frame_), 1);  // the run did not finish
  FakePlatformReset();
  Answer('r');
  EXPECT_EQ(winHardErrorHandle(&frame_), kHardErrorResume);
  EXPECT_NE(FakeConsoleText().find("Error : code - 22\r\n"), std::string::npos);
}

}  // namespace
