// The message formatter and the number conversion behind it.
#include "text/formatter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Format(const char* format, std::initializer_list<FormatSlot> slots) {
  char out[256];
  FormatMessageText(out, format, std::data(slots));
  return out;
}
FormatSlot Value(uint32_t value) {
  FormatSlot slot;
  slot.value = value;
  return slot;
}
FormatSlot Text(const char* text) {
  FormatSlot slot;
  slot.text = text;
  return slot;
}

TEST(Formatter, UnsignedAndSignedNumbers) {
  EXPECT_EQ(Format("code - %u", {Value(7)}), "code - 7");
  EXPECT_EQ(Format("code - %u", {Value(4294967295u)}), "code - 4294967295");
  EXPECT_EQ(Format("%u", {Value(0)}), "0");
  EXPECT_EQ(Format("%d", {Value(static_cast<uint32_t>(-15))}), "-15");
  EXPECT_EQ(Format("%d", {Value(2147483647u)}), "2147483647");
  // The most negative value keeps its sign and all its digits.
  EXPECT_EQ(Format("%d", {Value(0x80000000u)}), "-2147483648");
  EXPECT_EQ(Format("%u", {Value(0x80000000u)}), "2147483648");
}

TEST(Formatter, CharacterTakesTheLowByte) {
  EXPECT_EQ(Format("%c:", {Value(0x143)}), "C:");
  EXPECT_EQ(Format("<%c>", {Value(0xA8)}), "<\xA8>");
}

TEST(Formatter, EachConversionTakesTheNextSlot) {
  EXPECT_EQ(Format("%s to %s", {Text("a.txt"), Text("b.txt")}), "a.txt to b.txt");
  EXPECT_EQ(Format("%c: /side %u, track %d, %s",
                   {Value('A'), Value(1), Value(static_cast<uint32_t>(-2)), Text("x")}),
            "A: /side 1, track -2, x");
  EXPECT_EQ(Format("[%s]", {Text("")}), "[]");
  EXPECT_EQ(Format("[%s]", {Text(nullptr)}), "[]");
}

TEST(Formatter, UnknownConversionEndsTheOutput) {
  EXPECT_EQ(Format("100%", {}), "100");
  EXPECT_EQ(Format("a%xb %u", {Value(1)}), "a");
  EXPECT_EQ(Format("50%% off", {}), "50");
  EXPECT_EQ(Format("", {}), "");
}

TEST(Formatter, BoundedOutputNeverPassesItsCapacity) {
  char out[8];
  memset(out, '#', sizeof out);
  const FormatSlot name[1] = {Text("abcdefghij")};
  EXPECT_EQ(FormatMessageTextMax(out, 6, "<%s>", name), 5u);
  EXPECT_STREQ(out, "<abcd");
  EXPECT_EQ(out[6], '#');

  const FormatSlot number[1] = {Value(123456)};
  EXPECT_EQ(FormatMessageTextMax(out, 4, "%u", number), 3u);
  EXPECT_STREQ(out, "123");

  EXPECT_EQ(FormatMessageTextMax(out, 1, "abc", name), 0u);
  EXPECT_STREQ(out, "");
  out[0] = '#';
  EXPECT_EQ(FormatMessageTextMax(out, 0, "abc", name), 0u);
  EXPECT_EQ(out[0], '#');

  EXPECT_EQ(FormatMessageTextMax(out, sizeof out, "<%s>", name), 7u);
  EXPECT_STREQ(out, "<abcdef");
}

TEST(IntToText, RadixDigitsAndEnd) {
  char out[40];
  EXPECT_STREQ(IntToText(0, 10, 0, out) - 1, "0");
  EXPECT_EQ(IntToText(4294967295u, 10, 0, out), out + 10);
  EXPECT_EQ(IntToText(4294967295u, 2, 0, out), out + 32);
  EXPECT_STREQ(out, std::string(32, '1').c_str());
  IntToText(0xAF09, 16, 0, out);
  EXPECT_STREQ(out, ":?09");  // the digits above 9 follow "9" in ASCII
  IntToText(8, 8, 0, out);
  EXPECT_STREQ(out, "10");
  IntToText(static_cast<uint32_t>(-8), 8, 1, out);
  EXPECT_STREQ(out, "-10");
  EXPECT_EQ(IntToText(0x80000000u, 10, 1, out), out + 11);
  EXPECT_STREQ(out, "-2147483648");
  // Counts of bytes past 4 GiB, up to the widest.
  EXPECT_STREQ(CountToText(0, out) - 1, "0");
  EXPECT_EQ(CountToText(UINT64_MAX, out), out + 20);
  EXPECT_STREQ(out, "18446744073709551615");
}

}  // namespace
