#include "text/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Position of StrFind's result in s, or -1 for none.
long FindAt(const char* s, const char* pattern) {
  std::string copy(s);
  char* found = StrFind(copy.data(), pattern);
  return found == nullptr ? -1 : found - copy.data();
}

TEST(StrLengthMax, CountsUpToTheLimitAndReadsNoFurther) {
  EXPECT_EQ(StrLengthMax("abc", 10), 3u);
  EXPECT_EQ(StrLengthMax("abc", 3), 3u);
  EXPECT_EQ(StrLengthMax("abc", 2), 2u);
  EXPECT_EQ(StrLengthMax("", 0), 0u);
  EXPECT_EQ(StrLength(u"\u0430b"), 2u);  // UTF-16 units
  // An unterminated buffer of exactly the limit's size is never read past.
  const auto bytes = std::make_unique<char[]>(5);
  std::fill_n(bytes.get(), 5, 'x');
  EXPECT_EQ(StrLengthMax(bytes.get(), 5), 5u);
  const auto units = std::make_unique<char16_t[]>(3);
  std::fill_n(units.get(), 3, u'y');
  EXPECT_EQ(StrLengthMax(units.get(), 3), 3u);
}

TEST(StrFind, FailedPartialMatchDoesNotRetryItsBytes) {
  EXPECT_EQ(FindAt("x/866", "/866"), 1);
  EXPECT_EQ(FindAt("//866", "/866"), -1);
  EXPECT_EQ(FindAt("a.txt //866", "/866"), -1);
  EXPECT_EQ(FindAt("aab", "ab"), -1);
  // The '/' that broke the first attempt is skipped with it.
  EXPECT_EQ(FindAt("a/8/866", "/866"), -1);
  EXPECT_EQ(FindAt("/8x/866", "/866"), 3);
}

TEST(StrFind, MatchesAtEitherEndAndMissesCutPatterns) {
  EXPECT_EQ(FindAt("/866", "/866"), 0);
  EXPECT_EQ(FindAt("a.txt /866", "/866"), 6);
  EXPECT_EQ(FindAt("a.txt /1251 /866", "/1251"), 6);
  EXPECT_EQ(FindAt("a.txt /86", "/866"), -1);
  EXPECT_EQ(FindAt("", "/866"), -1);
  EXPECT_EQ(FindAt("\xE0\xF0", "\xF0"), 1);
}

TEST(StrFind, EmptyPatternIsFoundAtTheStart) {
  EXPECT_EQ(FindAt("abc", ""), 0);
  EXPECT_EQ(FindAt("", ""), 0);
}

TEST(StrTrimChar, RemovesRunsAtBothEndsOnly) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"  a b  ", "a b"}, {"   ", ""}, {"", ""}, {"a", "a"}, {" a", "a"}, {"a ", "a"},
  };
  for (const Case& c : cases) {
    char buffer[16];
    StrCopy(buffer, c.in);
    EXPECT_EQ(StrTrimChar(buffer, ' '), buffer);
    EXPECT_STREQ(buffer, c.out) << "from '" << c.in << "'";
  }
}

TEST(StrTrimChar, LeftAndRightAreSeparate) {
  char left[] = "xxaxx";
  EXPECT_STREQ(StrTrimLeftChar(left, 'x'), "axx");
  char right[] = "xxaxx";
  EXPECT_STREQ(StrTrimRightChar(right, 'x'), "xxa");
}

TEST(StrCopy, CopiesALaterPartOntoItsOwnStart) {
  char buffer[] = "   abc";
  StrCopy(buffer, buffer + 3);
  EXPECT_STREQ(buffer, "abc");
}

TEST(StrCopyMax, CutsAtTheLimitAndTerminates) {
  std::vector<char> source(201, 'a');
  source[200] = 0;
  std::vector<char> dst(140, '#');
  EXPECT_EQ(StrCopyMax(dst.data(), source.data(), 129), dst.data());
  EXPECT_EQ(StrLength(dst.data()), 129u);
  EXPECT_EQ(dst[130], '#');  // nothing written past the terminator

  char shorter[8];
  StrCopyMax(shorter, "abc", 5);
  EXPECT_STREQ(shorter, "abc");
  StrCopyMax(shorter, "abc", 0);
  EXPECT_STREQ(shorter, "");
}

TEST(StrCopyMax, SourcesLongerThan65535BytesAreCutAtTheLimitToo) {
  // A length counted in 16 bits would wrap for these and copy too little.
  for (uint32_t length : {65535u, 65536u, 65536u + 50, 65536u + 129, 70000u}) {
    std::vector<char> source(length + 1, 'b');
    source[length] = 0;
    char dst[131];
    dst[130] = '#';
    StrCopyMax(dst, source.data(), 129);
    EXPECT_EQ(StrLength(dst), 129u) << "source of " << length << " bytes";
    EXPECT_EQ(dst[130], '#');
  }
}

TEST(StrHasControl, OnlyBytesFrom1To31Count) {
  EXPECT_EQ(StrHasControl("a.txt\t/866"), 1);
  EXPECT_EQ(StrHasControl("\x01"), 1);
  EXPECT_EQ(StrHasControl("a.txt\x1F"), 1);
  EXPECT_EQ(StrHasControl(""), 0);
  EXPECT_EQ(StrHasControl(" !~\x7F"), 0);
  // Signed bytes would make every letter from 0x80 up look like a control byte.
  std::string high;
  for (int b = 0x80; b <= 0xFF; ++b)
    high += static_cast<char>(b);
  EXPECT_EQ(StrHasControl(high.c_str()), 0);
}

TEST(StrTrimBelow, TurnsASystemMessageIntoItsBareSentence) {
  char message[] = "\r\n The system cannot find the file specified.\r\n";
  EXPECT_EQ(StrTrimBelow(message, 32), message);
  EXPECT_STREQ(message, "The system cannot find the file specified.");
  StrStripLastChar(message, '.');
  EXPECT_STREQ(message, "The system cannot find the file specified");
}

TEST(StrTrimBelow, KeepsBytesFrom0x80AtBothEnds) {
  char text[] = "\t \xE0\xAB\x9F\r\n";
  StrTrimBelow(text, 32);
  EXPECT_STREQ(text, "\xE0\xAB\x9F");
  char controls[] = "\r\n\t \x01";
  EXPECT_STREQ(StrTrimBelow(controls, 32), "");
  char empty[] = "";
  EXPECT_STREQ(StrTrimBelow(empty, 32), "");
}

TEST(StrStripLastChar, RemovesOneMatchingByteAtMost) {
  char twoStops[] = "a..";
  EXPECT_STREQ(StrStripLastChar(twoStops, '.'), "a.");
  char other[] = "a.b";
  EXPECT_STREQ(StrStripLastChar(other, '.'), "a.b");
  char single[] = ".";
  EXPECT_STREQ(StrStripLastChar(single, '.'), "");
  char empty[] = "";
  EXPECT_STREQ(StrStripLastChar(empty, '.'), "");
}

}  // namespace
