// The code page 1251 character services, slot by slot and through the table.
#include "codepage/char_services.h"

#include <gtest/gtest.h>

#include "support/more_char_services.h"

namespace {

TEST(CharServices, YoAndYaAtTheEdgesOfTheRanges) {
  EXPECT_EQ(Cp1251ToUpper(0xB8), 0xA8);  // ё
  EXPECT_EQ(Cp1251ToLower(0xA8), 0xB8);  // Ё
  EXPECT_EQ(Cp1251ToUpper(0xA8), 0xA8);
  EXPECT_EQ(Cp1251ToLower(0xB8), 0xB8);
  EXPECT_EQ(Cp1251ToUpper(0xFF), 0xDF);  // я
  EXPECT_EQ(Cp1251ToLower(0xDF), 0xFF);  // Я
  EXPECT_EQ(Cp1251ToUpper(0xDF), 0xDF);
  EXPECT_EQ(Cp1251ToLower(0xFF), 0xFF);
  EXPECT_EQ(Cp1251ToUpper(0xE0), 0xC0);
  EXPECT_EQ(Cp1251ToLower(0xC0), 0xE0);
  EXPECT_EQ(Cp1251ToUpper(0xBF), 0xBF);  // just below а..я
  EXPECT_EQ(Cp1251ToLower(0xBF), 0xBF);
  EXPECT_EQ(Cp1251ToUpper('z'), 'Z');
  EXPECT_EQ(Cp1251ToUpper('{'), '{');
  EXPECT_EQ(Cp1251ToLower('@'), '@');
  EXPECT_EQ(Cp1251ToLower('['), '[');
}

TEST(CharServices, FurtherCyrillicLettersAreNoLetters) {
  for (uint8_t c : {0x80, 0x81, 0x8A, 0xA1, 0xA2, 0xAA, 0xAB, 0xAF, 0xB2, 0xBF}) {
    EXPECT_EQ(Cp1251ToUpper(c), c) << int(c);
    EXPECT_EQ(Cp1251ToLower(c), c) << int(c);
    EXPECT_EQ(Cp1251IsLetter(c), kCharFalse) << int(c);
    EXPECT_EQ(Cp1251IsCyrLetter(c), kCharFalse) << int(c);
  }
}

TEST(CharServices, ZeroByteIsNothing) {
  EXPECT_EQ(Cp1251ToUpper(0), 0);
  EXPECT_EQ(Cp1251ToLower(0), 0);
  EXPECT_EQ(Cp1251IsLetter(0), kCharFalse);
  EXPECT_EQ(Cp1251IsUpper(0), kCharFalse);
  EXPECT_EQ(Cp1251IsLower(0), kCharFalse);
  EXPECT_EQ(Cp1251IsVowel(0), kCharFalse);
}

TEST(CharServices, Vowels) {
  const int vowels[] = {'e',          'E',  'a',          'U',          0xEE /* о */, 0xFF /* я */,
                        0xB8 /* ё */, 0xA8, 0xE9 /* й */, 0xC9 /* Й */, 0xFD /* э */, 0xFE /* ю */};
  for (int c : vowels) {
    EXPECT_EQ(Cp1251IsVowel(static_cast<uint8_t>(c)), kCharTrue) << c;
  }
  const int others[] = {'y',          'Y',          'b',          0xFB /* ы */,
                        0xDB /* Ы */, 0xE1 /* б */, 0xFC /* ь */, 0xA2};
  for (int c : others) {
    EXPECT_EQ(Cp1251IsVowel(static_cast<uint8_t>(c)), kCharFalse) << c;
  }
  // Through the table, the vowel test looks at its own argument only.
  EXPECT_EQ(CharIsVowel(0xEE), kCharTrue);
  EXPECT_EQ(CharIsVowel(0x1EE), kCharTrue);  // the low byte counts
  EXPECT_EQ(CharIsVowel(0xFB), kCharFalse);
}

TEST(CharServices, CompareOrdersAsSignedBytes) {
  EXPECT_GT(PlainCompareChars(0x41, 0xC0), 0);  // 'A' after 'А'
  EXPECT_LT(PlainCompareChars(0xC0, 0xE0), 0);
  EXPECT_EQ(PlainCompareChars(0xE0, 0xE0), 0);
  EXPECT_GT(PlainCompareChars(0x00, 0xFF), 0);
  EXPECT_LT(PlainCompareChars(0x80, 0x7F), 0);
  EXPECT_LT(PlainCompareChars(0x7E, 0x7F), 0);
  EXPECT_EQ(CharServices.compareChars, PlainCompareChars);
}

TEST(CharServices, WholeRangeIsConsistent) {
  for (int i = 0; i < 256; ++i) {
    const uint8_t c = static_cast<uint8_t>(i);
    const bool upper = Cp1251IsUpper(c) != 0;
    const bool lower = Cp1251IsLower(c) != 0;
    EXPECT_EQ(Cp1251IsLetter(c) != 0, upper || lower) << i;
    EXPECT_FALSE(upper && lower) << i;
    // A letter maps to its partner and back; everything else stays as it is.
    if (upper) {
      EXPECT_EQ(Cp1251ToUpper(c), c) << i;
      EXPECT_TRUE(Cp1251IsLower(Cp1251ToLower(c))) << i;
      EXPECT_EQ(Cp1251ToUpper(Cp1251ToLower(c)), c) << i;
    } else if (lower) {
      EXPECT_EQ(Cp1251ToLower(c), c) << i;
      EXPECT_TRUE(Cp1251IsUpper(Cp1251ToUpper(c))) << i;
      EXPECT_EQ(Cp1251ToLower(Cp1251ToUpper(c)), c) << i;
    } else {
      EXPECT_EQ(Cp1251ToUpper(c), c) << i;
      EXPECT_EQ(Cp1251ToLower(c), c) << i;
    }
    EXPECT_EQ(Cp1251IsCyrLetter(c) != 0, upper || lower ? c >= 0x80 : false) << i;
    // Each entry point hands the low byte of its argument to its slot.
    EXPECT_EQ(CharToUpper(0x100u | c), Cp1251ToUpper(c)) << i;
    EXPECT_EQ(CharToLower(0xFF00u | c), Cp1251ToLower(c)) << i;
    EXPECT_EQ(CharIsLetter(0x300u | c), Cp1251IsLetter(c)) << i;
    EXPECT_EQ(CharIsUpper(c), Cp1251IsUpper(c)) << i;
    EXPECT_EQ(CharIsLower(c), Cp1251IsLower(c)) << i;
  }
}

TEST(CharServices, CountsOfEachKind) {
  int letters = 0, upper = 0, lower = 0, vowels = 0;
  for (int i = 0; i < 256; ++i) {
    letters += Cp1251IsLetter(static_cast<uint8_t>(i)) != 0;
    upper += Cp1251IsUpper(static_cast<uint8_t>(i)) != 0;
    lower += Cp1251IsLower(static_cast<uint8_t>(i)) != 0;
    vowels += Cp1251IsVowel(static_cast<uint8_t>(i)) != 0;
  }
  EXPECT_EQ(letters, 2 * 26 + 2 * 33);  // Latin, and Cyrillic with Ё and ё
  EXPECT_EQ(upper, 26 + 33);
  EXPECT_EQ(lower, 26 + 33);
  EXPECT_EQ(vowels, 2 * 5 + 2 * 10);
}

}  // namespace
