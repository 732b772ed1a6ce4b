// The text layout filter and the two formatting operations built on it.
#include "support/layout/layout_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const uint8_t kNone[] = {0};
const uint8_t kSemicolon[] = {1, ';'};
const LayoutSets kNoSets = {{kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone}};
const LayoutSets kSemicolonFirst = {{kSemicolon, kNone, kNone, kNone, kNone, kNone, kNone, kNone}};

std::string Filter(const char* text, uint16_t capacity, const LayoutSets& sets, uint16_t options) {
  // An exact-size copy without a terminator, so that a read past the end is caught.
  const std::string source(text);
  std::vector<char> exact(source.begin(), source.end());
  char out[64];
  const uint16_t n =
      LayoutFilter(exact.data(), static_cast<uint16_t>(exact.size()), out, capacity, sets, options);
  return std::string(out, n);
}

std::string Phrase(const char* text, uint16_t size = 64, uint16_t options = 0) {
  char out[64];
  return LayoutPhrase(text, out, size, options);
}

std::string Enclosed(const char* text, uint16_t middle, uint16_t outer, uint16_t size = 64) {
  char out[64];
  return LayoutEnclosed(text, out, size, '|', middle, outer);
}

TEST(LayoutPhrase, WorkedExample) {
  EXPECT_EQ(Phrase("  hello   world,bye"), "Hello World,\tbye");
  EXPECT_EQ(Phrase("   "), "");
  EXPECT_EQ(Phrase("a,b,"), "A,\tb,");  // no tab after the last character
  EXPECT_EQ(Phrase("what?yes"), "What ?yes");
  EXPECT_EQ(Phrase("x \"quoted\" y"), "X\"Quoted\"Y");
}

TEST(LayoutFilter, SpaceHandlers) {
  EXPECT_EQ(Filter("   ;", 64, kSemicolonFirst, 0), " ;");
  EXPECT_EQ(Filter("a  ;", 64, kSemicolonFirst, 0), "a;");
  EXPECT_EQ(Filter("ab  cd", 64, kNoSets, NoSpaceBefore | SpaceBefore), "a b c d");
  EXPECT_EQ(Filter("a b ", 64, EnclosedSets, 0), "a b ");  // the last skip stops at the end
}

TEST(LayoutFilter, CaseOptions) {
  EXPECT_EQ(Filter("abC dE", 64, kNoSets, UpperNext), "ABC DE");
  EXPECT_EQ(Filter("abC dE", 64, kNoSets, LowerNext), "abc de");
  EXPECT_EQ(Filter("abC dE", 64, kNoSets, LowerNext | UpperNext), "ABC DE");
  EXPECT_EQ(Filter("aBc", 64, kNoSets, UpperPrevious), "ABc");
  EXPECT_EQ(Filter("\xE0\xC1\xB8", 64, kNoSets, LowerPrevious), "\xE0\xE1\xB8");
  EXPECT_EQ(Filter("ab", 64, kNoSets, 0xFF00), "ab");  // the high bits are not the filter's
}

TEST(LayoutFilter, ForcedTabAfterInsertsOneTabPerCharacter) {
  EXPECT_EQ(Filter("ab", 64, kNoSets, TabAfter), "a\tb");
  EXPECT_EQ(Filter("a\tb", 64, kNoSets, TabAfter), "a\t\t\tb");
  EXPECT_EQ(Filter("a, b", 64, PhraseSets, TabAfter), "A\t,\t \tb");
}

TEST(LayoutFilter, FullDestinationEndsAfterTheHandlersActed) {
  EXPECT_EQ(Filter("abc", 2, kNoSets, UpperPrevious), "AB");
  EXPECT_EQ(Filter("a!", 1, PhraseSets, 0), "A");
  EXPECT_EQ(Filter("ab ;", 3, kSemicolonFirst, 0), "ab;");  // the space made room
  EXPECT_EQ(Filter("abc", 0, kNoSets, SpaceBefore), "");
  char out[2] = {'#', '#'};
  EXPECT_EQ(LayoutFilter("", 0, out, 2, PhraseSets, 0), 0);
  EXPECT_EQ(LayoutFilter("abc", 2, out, 2, kNoSets, 0), 2);
}

TEST(LayoutEnclosed, WorkedExampleAndPartShapes) {
  EXPECT_EQ(Enclosed("abc |def ghi|", 0, EncloseMiddle), "abc |Def ghi| ");
  EXPECT_EQ(Enclosed("abc |def ghi|", 0, 0), "abc Def ghi ");
  EXPECT_EQ(Enclosed("  a|b|  c", 0, EncloseMiddle), "a |B| c");
  EXPECT_EQ(Enclosed("|b|c", 0, EncloseMiddle), "|B| c");
  EXPECT_EQ(Enclosed("abc||def", 0, EncloseMiddle), "Abc");
  EXPECT_EQ(Enclosed("abc| |def", 0, EncloseMiddle), "abc || def");
  EXPECT_EQ(Enclosed("a|b ", 0, EncloseMiddle), "a |B| ");
}

TEST(LayoutEnclosed, NothingToEncloseUsesTheMiddleOptions) {
  EXPECT_EQ(Enclosed("", EncloseMiddle, EncloseMiddle), "|| ");
  EXPECT_EQ(Enclosed("   ", EncloseMiddle, 0), "|| ");
  EXPECT_EQ(Enclosed("", 0, 0), " ");
  EXPECT_EQ(Enclosed("", 0, EncloseMiddle), " ");
  EXPECT_EQ(Enclosed("abc def|", UpperNext, LowerNext | EncloseMiddle), "ABC DEF|");
  EXPECT_EQ(Enclosed("abc def", 0, UpperNext), "Abc def");
}

TEST(LayoutEnclosed, MiddlePartThatFillsTheDestinationEndsTheResultAsFiltered) {
  // What fitted is kept as the filter wrote it; a cut middle part never gets the closing
  // delimiter, not even into the byte its trailing space would free.
  EXPECT_EQ(Enclosed("abc|de f|ghi", 0, EncloseMiddle, 9), "abc |de ");
  EXPECT_EQ(Enclosed("abc |def ghi|", 0, EncloseMiddle, 10), "abc |def ");
  EXPECT_EQ(Enclosed("abc |def ghi|", 0, 0, 9), "abc def ");
  EXPECT_EQ(Enclosed("abc |def ghi|", 0, EncloseMiddle, 9), "abc |def");
  EXPECT_EQ(Enclosed("abc |def ghi|", 0, EncloseMiddle, 6), "abc |");
  EXPECT_EQ(Enclosed("abc |def ghi|", 0, EncloseMiddle, 1), "");
  // With room to spare the middle part is finished and closed.
  EXPECT_EQ(Enclosed("abc|de f|ghi", 0, EncloseMiddle, 11), "abc |De f|");
  EXPECT_EQ(Enclosed("abc |def |", 0, EncloseMiddle, 11), "abc |Def| ");
}

TEST(LayoutFormat, EverySizeStaysInsideTheDestination) {
  const char* texts[] = {"abc |def, ghi| jkl, mno", "  x ! y , z", "|||", "a!b?c"};
  for (const char* text : texts) {
    for (uint16_t size = 0; size <= 30; ++size) {
      std::string phrase(size + 1, '#'), enclosed(size + 1, '#');
      LayoutPhrase(text, phrase.data(), size, 0xFFFF);
      LayoutEnclosed(text, enclosed.data(), size, '|', SpaceBefore, EncloseMiddle | 0xFF);
      EXPECT_EQ(phrase[size], '#') << text << " size " << size;
      EXPECT_EQ(enclosed[size], '#') << text << " size " << size;
      if (size > 0) {
        EXPECT_LT(phrase.find('\0'), size);
        EXPECT_LT(enclosed.find('\0'), size);
      }
    }
  }
}

}  // namespace
