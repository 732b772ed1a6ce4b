// Appends, words, signed order, searches, runs and decimal numbers.
#include "support/more_strings.h"

#include <gtest/gtest.h>

#include <string>

#include "support/regions.h"
#include "text/strings.h"

namespace {

TEST(StrToInt, SignLoopAndWrapAround) {
  struct Case {
    const char* text;
    int32_t value;
  };
  const Case cases[] = {
      {"  +  + -  12", -12},
      {"+-5", -5},
      {"-+5", 0},
      {"- -5", 0},
      {"12abc", 12},
      {"", 0},
      {"abc", 0},
      {"4294967297", 1},
      {"-2147483648", INT32_MIN},
      {"2147483648", INT32_MIN},
      {"\t5", 0},
      {"- 7 8", -7},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StrToInt(c.text), c.value) << "'" << c.text << "'";
}

TEST(StrCompare, SignedOrderAgainstUnsignedMemCompare) {
  EXPECT_EQ(StrCompare("ab\xC0", "ab"), -1);
  EXPECT_EQ(StrCompare("ab", "abc"), -1);
  EXPECT_EQ(StrCompare("ab", "ab\xC0"), -1);  // a ends first: below, whatever b holds
  EXPECT_EQ(StrCompare("abc", "ab"), 1);
  EXPECT_EQ(StrCompare("abc", "abc"), 0);
  EXPECT_EQ(StrCompare("", ""), 0);
  EXPECT_EQ(StrCompare("\x80", "\x7F"), -1);
  EXPECT_EQ(MemCompare("\x80", "\x7F", 1), 1);
}

TEST(StrAppend, WholeAndBounded) {
  char dst[16] = "x";
  EXPECT_STREQ(StrAppendMax(dst, "abc", 0), "x");
  EXPECT_STREQ(StrAppendMax(dst, "abc", 2), "xab");
  EXPECT_STREQ(StrAppendMax(dst, "cd", 9), "xabcd");
  EXPECT_STREQ(StrAppend(dst, "ef"), "xabcdef");
  EXPECT_STREQ(StrAppend(dst, ""), "xabcdef");
}

TEST(StrAppend, DestinationBeyondTheScanLimitStaysAsItIs) {
  std::string longest(65534, 'a');
  longest.append(4, '\0');
  StrAppend(longest.data(), "b");
  EXPECT_EQ(longest[65534], 'b');
  std::string tooLong(65535, 'a');
  tooLong.append(4, '\0');
  StrAppend(tooLong.data(), "b");
  StrAppendMax(tooLong.data(), "b", 1);
  EXPECT_EQ(tooLong[65535], '\0');
  EXPECT_EQ(StrFindLastChar(tooLong.c_str(), 'a'), nullptr);
  EXPECT_EQ(StrSkipCharBackward(tooLong.c_str(), 'b'), nullptr);
}

TEST(StrCopyWord, StopsAtSpaceOrControlKeepsHighBytes) {
  char dst[16] = "zzz";
  EXPECT_STREQ(StrCopyWord(dst, "word rest"), "word");
  EXPECT_STREQ(StrCopyWord(dst, " word"), "");
  EXPECT_STREQ(StrCopyWord(dst, "\xC0\xFF\tx"), "\xC0\xFF");
  EXPECT_EQ(StrWordLength("ab\x80\x01"), 3u);
  EXPECT_EQ(StrWordLength(""), 0u);
}

TEST(StrSearch, ForwardBackwardAndTheZeroCharacter) {
  const char* s = "ab  ";
  EXPECT_EQ(StrSkipCharBackward(s, ' '), s + 1);
  EXPECT_EQ(StrSkipCharBackward("   ", ' '), nullptr);
  EXPECT_EQ(StrSkipCharBackward("", ' '), nullptr);
  const char* spaces = "  x";
  EXPECT_EQ(StrSkipChar(spaces, ' '), spaces + 2);
  spaces = "   ";
  EXPECT_EQ(StrSkipChar(spaces, ' '), spaces + 3);
  EXPECT_EQ(StrSkipChar(s, '\0'), s);
  const char* t = "a.b.c";
  EXPECT_EQ(StrFindChar(t, '.'), t + 1);
  EXPECT_EQ(StrFindLastChar(t, '.'), t + 3);
  EXPECT_EQ(StrFindChar(t, 'z'), nullptr);
  EXPECT_EQ(StrFindLastChar(t, 'z'), nullptr);
  EXPECT_EQ(StrFindChar(t, '\0'), nullptr);
  EXPECT_EQ(StrFindLastChar(t, '\0'), nullptr);
  EXPECT_EQ(StrFindChar("", 'a'), nullptr);
}

TEST(StrCollapseChar, RunsBecomeOneAndZeroChangesNothing) {
  char s[] = "a  b   c ";
  EXPECT_STREQ(StrCollapseChar(s, ' '), "a b c ");
  char lead[] = "--x--";
  EXPECT_STREQ(StrCollapseChar(lead, '-'), "-x-");
  char untouched[] = "a\0b";
  EXPECT_STREQ(StrCollapseChar(untouched, '\0'), "a");
  EXPECT_EQ(untouched[2], 'b');
}

TEST(StrKeepDigits, RemovesEverythingElse) {
  char s[] = "+7 (495) 12-3\xB9";
  EXPECT_STREQ(StrKeepDigits(s), "7495123");
  char none[] = "abc";
  EXPECT_STREQ(StrKeepDigits(none), "");
}

}  // namespace
