#include "codepage/byte_maps.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <string>
#include <vector>

namespace {

class ConvertBufferTest : public ::testing::Test {};

// Text from one charset to another through the C library's own tables; false where one
// of them has not got a character of the text.
bool Iconv(const char* to, const char* from, std::string in, std::string* out) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->assign(in.size() * 4, '\0');
  char* source = in.data();
  size_t sourceLeft = in.size();
  char* target = out->data();
  size_t targetLeft = out->size();
  const bool whole = iconv(cd, &source, &sourceLeft, &target, &targetLeft) != size_t(-1);
  iconv_close(cd);
  out->resize(out->size() - targetLeft);
  return whole;
}

constexpr char32_t kNoCharacter = 0xFFFFFFFF;

char32_t CharacterOf(const char* codePage, uint8_t byte) {
  std::string utf32;
  if (!Iconv("UTF-32LE", codePage, std::string(1, char(byte)), &utf32)) return kNoCharacter;
  char32_t c = 0;
  for (int i = 3; i >= 0; --i)
    c = c << 8 | uint8_t(utf32[i]);
  return c;
}

// The byte of c in the code page, or -1 where it has not got c.
int ByteOf(const char* codePage, char32_t c) {
  std::string bytes;
  const std::string utf32{char(c), char(c >> 8), char(c >> 16), char(c >> 24)};
  if (c == kNoCharacter || !Iconv(codePage, "UTF-32LE", utf32, &bytes)) return -1;
  return uint8_t(bytes[0]);
}

// Each direction with its code pages and its maps there and back.
struct Way {
  const char* from;
  const char* to;
  Direction direction;
  ByteMap map;
  ByteMap back;
};
const Way kDirections[] = {{"CP866", "CP1251", kFrom866, MapCp866ToCp1251, MapCp1251ToCp866},
                           {"CP1251", "CP866", kFrom1251, MapCp1251ToCp866, MapCp866ToCp1251}};

TEST(ByteMaps, EveryCharacterBothCodePagesHaveComesOutAsItselfAndBack) {
  for (const Way& d : kDirections) {
    int shared = 0;
    for (int b = 0; b < 256; ++b) {
      const int same = ByteOf(d.to, CharacterOf(d.from, uint8_t(b)));
      if (same < 0) continue;
      ++shared;
      EXPECT_EQ(d.map(uint8_t(b)), same) << d.from << " byte " << b;
      EXPECT_EQ(d.back(d.map(uint8_t(b))), b) << d.from << " byte " << b;
    }
    // ASCII, the 66 Russian letters, № and ten signs and letters of other alphabets.
    EXPECT_EQ(shared, 128 + 66 + 1 + 10) << d.from;
  }
  // Each other's nearest, so they come back too; and № where earlier versions put it.
  EXPECT_EQ(MapCp866ToCp1251(ByteOf("CP866", U'∙')), ByteOf("CP1251", U'•'));
  EXPECT_EQ(MapCp1251ToCp866(ByteOf("CP1251", U'•')), ByteOf("CP866", U'∙'));
  EXPECT_EQ(MapCp1251ToCp866(ByteOf("CP1251", U'©')), ByteOf("CP866", U'№'));
}

// Letters as Unicode classes them, in a UTF-8 locale for the test's time.
class LetterClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = setlocale(LC_CTYPE, nullptr);
    if (setlocale(LC_CTYPE, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  }
  void TearDown() override { setlocale(LC_CTYPE, saved_.c_str()); }
  static bool IsLetter(char32_t c) { return c != kNoCharacter && iswalpha(wint_t(c)); }
  static bool IsCyrillicLetter(char32_t c) { return c >= 0x400 && c < 0x530 && IsLetter(c); }
  std::string saved_;
};

TEST_F(LetterClassTest, NoSignBecomesALetterAndWhatTheOtherPageLacksBecomesAsciiOrALetter) {
  for (const Way& d : kDirections) {
    for (int b = 0; b < 256; ++b) {
      const char32_t c = CharacterOf(d.from, uint8_t(b));
      const char32_t result = CharacterOf(d.to, d.map(uint8_t(b)));
      ASSERT_NE(result, kNoCharacter) << d.from << " byte " << b;
      // The micro sign is a letter to Unicode and a sign of measure to a reader.
      EXPECT_EQ(IsLetter(result), IsLetter(c) && c != U'µ') << d.from << " byte " << b;
      if (ByteOf(d.to, c) < 0 && c != U'∙' && c != U'•' && c != U'©') {
        EXPECT_TRUE(result < 0x80 || IsCyrillicLetter(result)) << d.from << " byte " << b;
      }
    }
  }
}

TEST_F(ConvertBufferTest, TypographyAndBoxDrawingReadRightInTheOtherCodePage) {
  const struct {
    const Way& direction;
    const char* text;
    const char* reads;
  } rows[] = {
      {kDirections[1], "«Привет», — сказал он… “Ёлки” 10\u00A0000\u00A0руб.",
       "\"Привет\", - сказал он. \"Ёлки\" 10\u00A0000\u00A0руб."},
      {kDirections[0], "╔════╗ ║ Анкета ║\r\n╚════╝ № 5, 20°",
       "+====+ | Анкета |\r\n+====+ № 5, 20°"},
      // Every line and block of code page 866, in its order, and its one sign without a
      // look-alike.
      {kDirections[0], "░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀■ √",
       "###|++++++|+++++++++-++++++++=+++++++++++++###### ?"},
      // Every letter of code page 1251 that 866 has not got.
      {kDirections[1], "ЂЃѓЉЊЌЋЏђљњќћџЈҐІіґЅѕј", "ДГгЛНКЧДдлнкчдJГIiгSsj"},
      // Signs that a look-alike would change the meaning of; © where № used to be.
      {kDirections[1], "0,5‰ ±0,1 Pelcor™® 100 € § 5 ¶ µ †‡ ¬ © ‚‘’„“” ‹› ¦ \u00AD",
       "0,5? ?0,1 Pelcor?? 100 ? ? 5 ? ? ?? ? № '''\"\"\" <> | -"},
  };
  for (const auto& row : rows) {
    const Way& d = row.direction;
    std::string bytes, reads;
    ASSERT_TRUE(Iconv(d.from, "UTF-8", row.text, &bytes)) << row.text;
    ConvertBuffer(d.direction, reinterpret_cast<uint8_t*>(bytes.data()), uint16_t(bytes.size()));
    ASSERT_TRUE(Iconv("UTF-8", d.to, bytes, &reads)) << row.text;
    EXPECT_EQ(reads, row.reads);
  }
}

TEST_F(ConvertBufferTest, TheDirectionsMapEveryByteAndNoMore) {
  for (const Way& d : kDirections) {
    uint8_t bytes[257];
    for (int b = 0; b < 257; ++b)
      bytes[b] = uint8_t(b);
    EXPECT_TRUE(ConvertBuffer(d.direction, bytes, 256));
    for (int b = 0; b < 256; ++b)
      ASSERT_EQ(bytes[b], MapByte(d.direction, uint8_t(b))) << d.from;
    EXPECT_EQ(bytes[256], 0) << "converted past the count";
  }
}

class KernelTest : public ConvertBufferTest, public ::testing::WithParamInterface<ByteKernel> {};

// Each start up to 64 past an aligned address and each count up to three vectors of 128,
// with every byte value in every lane; the bytes around are kept.
TEST_P(KernelTest, AgreesWithTheTableAtEveryAlignmentAndLength) {
  const ByteKernel kernel = GetParam();
  if (!KernelRuns(kernel)) GTEST_SKIP() << "this processor has not got kernel " << int(kernel);
  constexpr int kCounts = 384;
  for (const Way& d : kDirections) {
    const Direction to = d.direction;
    for (int offset = 0; offset < 64; ++offset) {
      for (int count = 0; count < kCounts; ++count) {
        alignas(64) uint8_t bytes[64 + kCounts + 64];
        for (size_t i = 0; i < sizeof bytes; ++i)
          bytes[i] = uint8_t(i + count);
        // Whether anything changed: the bytes rise, so at some counts only the last one
        // changes, in the part after the whole vectors.
        const bool changed = ConvertWithKernel(kernel, to, bytes + offset, uint16_t(count));
        bool anyChanged = false;
        for (int i = 0; i < int(sizeof bytes); ++i) {
          const uint8_t before = uint8_t(i + count);
          const bool inside = i >= offset && i < offset + count;
          ASSERT_EQ(bytes[i], inside ? d.map(before) : before)
              << d.from << " offset " << offset << " count " << count << " at " << i;
          anyChanged |= bytes[i] != before;
        }
        ASSERT_EQ(changed, anyChanged) << d.from << " offset " << offset << " count " << count;
      }
    }
    std::vector<uint8_t> most(0xFFFF + 1);
    for (size_t i = 0; i < most.size(); ++i)
      most[i] = uint8_t(i * 7);
    EXPECT_TRUE(ConvertWithKernel(kernel, to, most.data() + 1, 0xFFFF));
    for (size_t i = 1; i < most.size(); ++i)
      ASSERT_EQ(most[i], d.map(uint8_t(i * 7))) << d.from << " at " << i;
    // Text with nothing to convert, one letter at the very end or none.
    std::vector<uint8_t> ascii(0xFFFF, 'a');
    EXPECT_FALSE(ConvertWithKernel(kernel, to, ascii.data(), 0xFFFF)) << d.from;
    ascii.back() = 0xE0;
    EXPECT_TRUE(ConvertWithKernel(kernel, to, ascii.data(), 0xFFFF)) << d.from;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKernel, KernelTest,
                         ::testing::Values(kKernelPermute64, kKernelRows64, kKernelRows32,
                                           kKernelRows16, kKernelTable));

}  // namespace
