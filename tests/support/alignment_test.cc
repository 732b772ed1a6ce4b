// Alignment in a fixed width: the fill on each side, cutting, and work in place.
#include "support/alignment.h"

#include <gtest/gtest.h>

#include <string.h>

namespace {

typedef char* (*AlignFn)(const char*, char*, uint16_t, char);

TEST(StrAlign, WidthsAndFillOnEachSide) {
  struct Case {
    AlignFn align;
    const char* src;
    uint16_t width;
    const char* expected;
  };
  const Case cases[] = {
      {StrAlignCentre, "ab", 5, "*ab**"},  {StrAlignCentre, "ab", 6, "**ab**"},
      {StrAlignCentre, "", 1, "*"},        {StrAlignCentre, "abc", 2, "ab"},
      {StrAlignRight, "abcdef", 3, "abc"}, {StrAlignRight, "ab", 4, "**ab"},
      {StrAlignRight, "ab", 2, "ab"},      {StrAlignRight, "ab", 0, ""},
      {StrAlignLeft, "", 3, "***"},        {StrAlignLeft, "ab", 3, "ab*"},
      {StrAlignLeft, "abc", 0, ""},
  };
  for (const Case& c : cases) {
    char dst[16];
    memset(dst, '#', sizeof dst);
    EXPECT_EQ(c.align(c.src, dst, c.width, '*'), dst);
    EXPECT_STREQ(dst, c.expected) << c.src << " in " << c.width;
    EXPECT_EQ(dst[c.width + 1], '#') << "wrote past width + 1";
  }
}

TEST(StrAlign, RightAndLeftWorkOnTheirOwnSource) {
  char right[8] = "abc";
  EXPECT_STREQ(StrAlignRight(right, right, 7, '.'), "....abc");
  char left[8] = "abc";
  EXPECT_STREQ(StrAlignLeft(left, left, 5, '.'), "abc..");
  char cut[8] = "abcdef";
  EXPECT_STREQ(StrAlignRight(cut, cut, 4, '.'), "abcd");
}

}  // namespace
