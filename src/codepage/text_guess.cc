#include "codepage/text_guess.h"

#include "text/utf8.h"

namespace {

// A reading reads as Russian only with this many letters or more: fewer are too few for
// a verdict, and more text is needed.
constexpr uint32_t kVerdictLetters = 40;
// Russian prose in its own code page costs 4.7 bits a letter on average, and no 40 letters
// of it cost more than 7; read in the other code page it costs 11, and more than 8 in 99
// passages of 100.
constexpr uint32_t kMostCostPerLetter = 29;  // quarters of a bit: 7.25 bits
// How far the letters' own frequencies may be from Russian, in bits (the Kullback-Leibler
// divergence): 0.05 for long prose, at most 1.4 for 40 letters of it; 2 to 5 for prose
// read in the other code page, and 2.5 or more for one or two letters said over and over,
// such as box-drawing lines read as letters.
constexpr int64_t kMostDivergence = 115;  // 64ths of a bit: 1.8 bits
// Russian text holds hardly any letters of other alphabets or rare signs; read in the
// other code page, about 4 for every 10 letters. Its words are short.
constexpr uint32_t kForeignShare = 16;
constexpr uint32_t kLongestMeanWord = 16;
// What a sign and a foreign byte cost a reading, in quarters of a bit: one in 256 bytes
// of Russian text, and one in 4096.
constexpr uint64_t kSignCost = 32;
constexpr uint64_t kForeignCost = 48;
// The margin: a refusal needs the named code page's reading to cost 32 bits more than the
// other one's, odds of 4 billion to 1. Any 40 letters of prose give 99 bits or more.
constexpr uint64_t kMargin = 4 * 32;
// Valid UTF-8 holding this many Cyrillic letters is taken for UTF-8.
constexpr uint32_t kUtf8Letters = 2;
// Binary data: a NUL, or more than one control code in 64 bytes.
constexpr uint64_t kControlShare = 64;

// The class of each byte in each code page: a Russian letter (0 to 32), the blank class
// (ASCII), a sign from 0x80 up that Russian text uses (box drawing, quotes, dashes), or a
// foreign letter or rare sign. Signs and foreign bytes end words as blanks do.
constexpr uint8_t kSignClass = kLetterClasses;
constexpr uint8_t kForeignClass = kLetterClasses + 1;

// Code page 1251's letters of other Cyrillic alphabets, its unassigned byte and the signs
// that Russian text hardly ever holds.
constexpr uint8_t kForeign1251[] = {
    0x80, 0x81, 0x83, 0x8A, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x98, 0x9A, 0x9C,
    0x9D, 0x9E, 0x9F, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xAA, 0xAC, 0xAD,
    0xAF, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xBA, 0xBC, 0xBD, 0xBE, 0xBF,
};

constexpr uint8_t Class866(uint32_t b) {
  if (b >= 0x80 && b <= 0x9F) return static_cast<uint8_t>(b - 0x80);  // А..Я
  if (b >= 0xA0 && b <= 0xAF) return static_cast<uint8_t>(b - 0xA0);  // а..п
  if (b >= 0xE0 && b <= 0xEF) return static_cast<uint8_t>(b - 0xD0);  // р..я
  if (b == 0xF0 || b == 0xF1) return 32;                              // Ё ё
  if (b >= 0xF2 && b <= 0xF7) return kForeignClass;                   // Є є Ї ї Ў ў
  return b < 0x80 ? kBlankClass : kSignClass;
}

constexpr uint8_t Class1251(uint32_t b) {
  if (b >= 0xC0) return static_cast<uint8_t>((b - 0xC0) % 32);  // А..Я, а..я
  if (b == 0xA8 || b == 0xB8) return 32;                        // Ё ё
  for (uint8_t foreign : kForeign1251) {
    if (b == foreign) return kForeignClass;
  }
  return b < 0x80 ? kBlankClass : kSignClass;
}

struct ByteClasses {
  uint8_t of[2][256];
};

constexpr ByteClasses MakeByteClasses() {
  ByteClasses classes = {};
  for (uint32_t b = 0; b < 256; ++b) {
    classes.of[kCodePage866][b] = Class866(b);
    classes.of[kCodePage1251][b] = Class1251(b);
  }
  return classes;
}
constexpr ByteClasses kByteClasses = MakeByteClasses();

// Control codes that no text holds: all but tab, line feed, vertical tab, form feed,
// carriage return, the DOS end-of-file mark and escape.
constexpr bool IsBinaryControl(uint8_t b) {
  return (b < 0x20 && !(b >= 0x09 && b <= 0x0D) && b != 0x1A && b != 0x1B) || b == 0x7F;
}

void ReadByte(PageReading* reading, uint8_t byteClass) {
  const uint8_t previous = reading->previous;
  if (byteClass < kRussianLetters) {
    reading->cost += kLetterPairCost[previous][byteClass];
    reading->words += previous == kBlankClass;
    ++reading->letters;
    ++reading->letterCounts[byteClass];
    reading->previous = byteClass;
    return;
  }
  if (previous != kBlankClass) reading->cost += kLetterPairCost[previous][kBlankClass];
  reading->signs += byteClass == kSignClass;
  reading->foreign += byteClass == kForeignClass;
  reading->previous = kBlankClass;
}

bool IsCyrillicLetter(uint32_t character) {
  return character >= 0x400 && character <= 0x45F;
}

void ReadUtf8Byte(TextTally* tally, uint8_t b) {
  if (tally->utf8Pending > 0) {
    if ((b & 0xC0) != 0x80) {
      tally->utf8Broken = true;
      return;
    }
    tally->utf8Character = (tally->utf8Character << 6) | (b & 0x3Fu);
    if (--tally->utf8Pending > 0) return;
    const uint32_t c = tally->utf8Character;
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    if (c < tally->utf8Least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      tally->utf8Broken = true;
    }
    tally->utf8Cyrillic += IsCyrillicLetter(c);
    return;
  }
  if (b < 0x80) return;
  // A lead byte past 0xF4 would begin a value past Unicode.
  const uint8_t length = Utf8SequenceLength(b);
  if (length == 1 || b > 0xF4) {
    tally->utf8Broken = true;
    return;
  }
  constexpr uint32_t kLeast[] = {0x80, 0x800, 0x10000};  // by length, from 2
  tally->utf8Pending = length - 1;
  tally->utf8Character = b & (0x7Fu >> length);
  tally->utf8Least = kLeast[length - 2];
}

// The cost of a reading's letter pairs, the last word ended.
uint64_t PairCost(const PageReading& reading) {
  const uint8_t last = reading.previous;
  return reading.cost + (last != kBlankClass ? kLetterPairCost[last][kBlankClass] : 0);
}

// 64 times the binary logarithm of 1 + k / 32.
constexpr int32_t kLog2Fraction[32] = {
    0,  3,  6,  8,  11, 13, 16, 18, 21, 23, 25, 27, 29, 31, 34, 35,
    37, 39, 41, 43, 45, 47, 48, 50, 52, 53, 55, 56, 58, 60, 61, 63,
};

// 64 times the binary logarithm of x (at least 1): exact to a 64th of a bit below 64, and
// within a 22nd of a bit above.
int32_t Log2In64ths(uint64_t x) {
  const int32_t whole = 63 - __builtin_clzll(x);
  const uint64_t fraction = whole >= 5 ? x >> (whole - 5) : x << (5 - whole);
  return 64 * whole + kLog2Fraction[fraction & 31];
}

// How far the reading's letter frequencies are from Russian (the sum over the letters of
// share times the binary logarithm of share over Russian share), in 64ths of a bit, times
// the number of letters.
int64_t DivergenceTimesLetters(const PageReading& reading) {
  const int32_t logLetters = Log2In64ths(reading.letters);
  int64_t sum = 0;
  for (uint8_t i = 0; i < kRussianLetters; ++i) {
    const uint32_t count = reading.letterCounts[i];
    if (count == 0) continue;
    sum += int64_t{count} * (Log2In64ths(count) - logLetters + 16 * kLetterCost[i]);
  }
  return sum;
}

bool ReadsAsRussian(const PageReading& reading) {
  const uint64_t letters = reading.letters;
  return letters >= kVerdictLetters && PairCost(reading) <= letters * kMostCostPerLetter &&
         reading.foreign * kForeignShare <= letters &&
         reading.words * kLongestMeanWord >= letters &&
         DivergenceTimesLetters(reading) <= kMostDivergence * reading.letters;
}

// What the whole reading costs, letters, signs and foreign bytes: the lower, the likelier.
uint64_t ReadingCost(const PageReading& reading) {
  return PairCost(reading) + reading.signs * kSignCost + reading.foreign * kForeignCost;
}

}  // namespace

void StartTextTally(TextTally* tally) {
  *tally = TextTally{};
  tally->pages[kCodePage866].previous = kBlankClass;
  tally->pages[kCodePage1251].previous = kBlankClass;
}

void TallyText(TextTally* tally, const uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    tally->nul |= b == 0;
    tally->controls += IsBinaryControl(b);
    ReadByte(&tally->pages[kCodePage866], kByteClasses.of[kCodePage866][b]);
    ReadByte(&tally->pages[kCodePage1251], kByteClasses.of[kCodePage1251][b]);
    if (!tally->utf8Broken) ReadUtf8Byte(tally, b);
  }
  tally->bytes += count;
}

TextVerdict JudgeText(const TextTally* tally, CodePageId named) {
  if (tally->nul || tally->controls * kControlShare > tally->bytes) return kTextNotText;
  // A character cut off by the end of what was read may still be completed.
  if (!tally->utf8Broken && tally->utf8Cyrillic >= kUtf8Letters) return kTextInUtf8;
  const PageReading& asNamed = tally->pages[named];
  const PageReading& asOther = tally->pages[named == kCodePage866 ? kCodePage1251 : kCodePage866];
  const bool namedRussian = ReadsAsRussian(asNamed);
  if (!namedRussian && ReadsAsRussian(asOther) &&
      ReadingCost(asNamed) >= ReadingCost(asOther) + kMargin) {
    return kTextInOtherPage;
  }
  return namedRussian ? kTextAsNamed : kTextUndecided;
}
