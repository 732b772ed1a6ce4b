#include "codepage/text_guess.h"

#include "text/utf8.h"

namespace {

// A reading reads as Cyrillic only with this many letters or more: fewer are too few for
// a verdict, and more text is needed. It is the smallest count at which no passage of
// prose in its own code page (of 10,000 in each language) and no random bytes (of 200,000
// strings), program, box-drawing form or repeated byte or pair is refused;
// bench/letter_floor draws the curve it was chosen from.
#ifndef GUESS_LETTER_FLOOR
constexpr uint32_t kVerdictLetters = 11;
#else
const uint32_t& kVerdictLetters = GUESS_LETTER_FLOOR;
#endif
// Prose in its own code page and language costs 4.7 bits a letter on average; read in
// another encoding it costs 11, and more than 8 in 99 passages of 100.
constexpr uint32_t kMostCostPerLetter = 29;  // quarters of a bit: 7.25 bits
// How far the letters' own frequencies may be from the language's, in bits (the
// Kullback-Leibler divergence): 0.05 for long prose, more for a few letters of it; 2 to 5
// for prose read in another encoding, and 2.5 or more for one or two letters said over
// and over, such as box-drawing lines read as letters.
constexpr int64_t kMostDivergence = 115;  // 64ths of a bit: 1.8 bits
// Text holds hardly any letters of other alphabets or rare signs; read in another
// encoding, about 4 for every 10 letters. Its words are short.
constexpr uint32_t kForeignShare = 16;
constexpr uint32_t kLongestMeanWord = 16;
// What a sign and a foreign byte cost a reading, in quarters of a bit: one in 256 bytes
// of text, and one in 4096.
constexpr uint64_t kSignCost = 32;
constexpr uint64_t kForeignCost = 48;
// The margin: a refusal needs the named code page's reading to cost 32 bits more than the
// other one's, odds of 4 billion to 1. Of 11 letters of prose in the wrong code page, 94
// passages in 100 are refused; of 20 letters, 98 to 99.9.
constexpr uint64_t kMargin = 4 * 32;
// Valid UTF-8 holding this many Cyrillic letters, two of them different, is taken for
// UTF-8, and UTF-16 text holding as many for UTF-16. One letter over and over is more
// likely two bytes repeated.
constexpr uint32_t kUnicodeLetters = 2;
// Binary data: a NUL, or more than one control code in 64 bytes.
constexpr uint64_t kControlShare = 64;
// UTF-16 text: no more than one code unit in 16 that text does not hold.
constexpr uint64_t kUtf16TextShare = 16;
// A reading that has seen this many letters, or UTF-16 code units, and is not text yet
// will not become text: the text read on is the same text.
constexpr uint32_t kSettledLetters = 256;
constexpr uint64_t kSettledUnits = 1024;

// The class of each byte in each encoding: a letter (0 to 37), the blank class (ASCII),
// a sign from 0x80 up that text uses (box drawing, quotes, dashes), a foreign letter,
// rare sign or control, or code page 866's Latin i. All but letters end words.
constexpr uint8_t kSignClass = kLetterClasses;
constexpr uint8_t kForeignClass = kLetterClasses + 1;
constexpr uint8_t kLatinIClass = kLetterClasses + 2;
constexpr uint8_t kYo = 32, kI = 33, kYi = 34, kYe = 35, kGhe = 36, kShortU = 37, kDje = 38,
                  kJe = 39, kLje = 40, kNje = 41, kTshe = 42, kDzhe = 43, kGje = 44, kKje = 45,
                  kDze = 46;

// The letters among Unicode's Ѐ..Џ and ѐ..џ, by their last hexadecimal digit: all but Ѐ Ѝ.
constexpr uint8_t B = kBlankClass;
constexpr uint8_t kFromEx400[16] = {B,   kYo,  kDje, kGje,  kYe,  kDze, kI,      kYi,
                                    kJe, kLje, kNje, kTshe, kKje, B,    kShortU, kDzhe};

// The class of a Unicode character that is a letter of the six alphabets, or the blank
// class.
constexpr uint8_t LetterClass(uint32_t c) {
  if (c >= 0x410 && c <= 0x44F) return static_cast<uint8_t>((c - 0x410) % 32);  // А..Я, а..я
  if ((c >= 0x400 && c <= 0x40F) || (c >= 0x450 && c <= 0x45F)) return kFromEx400[c & 15];
  return c == 0x490 || c == 0x491 ? kGhe : kBlankClass;
}

constexpr uint8_t Class866(uint32_t b) {
  if (b >= 0x80 && b <= 0xAF) return static_cast<uint8_t>((b - 0x80) % 32);  // А..Я, а..п
  if (b >= 0xE0 && b <= 0xEF) return static_cast<uint8_t>(b - 0xD0);         // р..я
  constexpr uint8_t kFrom0xF0[] = {kYo, kYo, kYe, kYe, kYi, kYi, kShortU, kShortU};
  if (b >= 0xF0 && b <= 0xF7) return kFrom0xF0[b - 0xF0];
  // Text written before code page 866 had І і wrote the Latin letters for them.
  if (b == 'i' || b == 'I') return kLatinIClass;
  return b < 0x80 ? kBlankClass : kSignClass;
}

// Code page 1251's letters beyond the Russian alphabet, by byte: Ё Ў ў І і Ґ ґ Є є Ї ї,
// then Ђ ђ Ј ј Љ љ Њ њ Ћ ћ Џ џ Ѓ ѓ Ќ ќ Ѕ ѕ.
constexpr uint8_t kMore1251[][2] = {
    {0xA8, kYo},  {0xB8, kYo},  {0xA1, kShortU}, {0xA2, kShortU}, {0xB2, kI},    {0xB3, kI},
    {0xA5, kGhe}, {0xB4, kGhe}, {0xAA, kYe},     {0xBA, kYe},     {0xAF, kYi},   {0xBF, kYi},
    {0x80, kDje}, {0x90, kDje}, {0xA3, kJe},     {0xBC, kJe},     {0x8A, kLje},  {0x9A, kLje},
    {0x8C, kNje}, {0x9C, kNje}, {0x8E, kTshe},   {0x9E, kTshe},   {0x8F, kDzhe}, {0x9F, kDzhe},
    {0x81, kGje}, {0x83, kGje}, {0x8D, kKje},    {0x9D, kKje},    {0xBD, kDze},  {0xBE, kDze},
};

// Its unassigned byte and the signs that text hardly ever holds.
constexpr uint8_t kForeign1251[] = {0x98, 0xA4, 0xA6, 0xAC, 0xAD, 0xB5, 0xB6};

constexpr uint8_t Class1251(uint32_t b) {
  if (b >= 0xC0) return static_cast<uint8_t>((b - 0xC0) % 32);  // А..Я, а..я
  for (const auto& [byte, letter] : kMore1251) {
    if (b == byte) return letter;
  }
  for (uint8_t foreign : kForeign1251) {
    if (b == foreign) return kForeignClass;
  }
  return b < 0x80 ? kBlankClass : kSignClass;
}

// KOI8-R: the letters from 0xC0 in the order of the Latin letters that sound like them,
// small letters first; everything else from 0x80 up is box drawing and signs but Ё ё,
// and KOI8-U's Є І Ї Ґ and their small letters.
constexpr char16_t kKoi8Letters[] = u"юабцдефгхийклмнопярстужвьызшэщчъ";

// KOI8-U's letters from 0xA0, small ones (capitals from 0xB0), by their last digit:
// ё є і ї ґ.
constexpr uint8_t kKoi8FromA0[16] = {B, B, B, kYo, kYe, B, kI, kYi, B, B, B, B, B, kGhe, B, B};

constexpr uint8_t ClassKoi8(uint32_t b) {
  if (b >= 0xC0) return LetterClass(kKoi8Letters[(b - 0xC0) % 32]);
  if (b >= 0xA0 && kKoi8FromA0[b & 15] != B) return kKoi8FromA0[b & 15];
  return b < 0x80 ? kBlankClass : kSignClass;
}

// ISO-8859-5: Unicode's Cyrillic letters from 0x400, 0xA0 up; its 0x80 to 0x9F are
// control codes.
constexpr uint8_t ClassIso88595(uint32_t b) {
  if (b < 0x80) return kBlankClass;
  if (b < 0xA0) return kForeignClass;
  if (b == 0xA0 || b == 0xAD || b == 0xF0 || b == 0xFD) return kSignClass;  // nbsp shy № §
  const uint8_t letter = LetterClass(b - 0xA0 + 0x400);
  return letter == kBlankClass ? kForeignClass : letter;  // Ѝ ѝ
}

struct ByteClasses {
  uint8_t of[kByteEncodings][256];
};

constexpr ByteClasses MakeByteClasses() {
  ByteClasses classes = {};
  for (uint32_t b = 0; b < 256; ++b) {
    classes.of[kBytes866][b] = Class866(b);
    classes.of[kBytes1251][b] = Class1251(b);
    classes.of[kBytesKoi8][b] = ClassKoi8(b);
    classes.of[kBytesIso88595][b] = ClassIso88595(b);
  }
  return classes;
}
constexpr ByteClasses kByteClasses = MakeByteClasses();

// A field of the packed pair costs holds the costs of 21,000 pairs; a byte adds at most two
// pairs, and the fields are added into the reading every kPackedRun bytes.
constexpr uint64_t kFieldMask = (uint64_t{1} << kPairFieldBits) - 1;
constexpr uint32_t kPackedRun = 8192;

void AddPackedCosts(ByteReading* reading) {
  for (uint8_t language = 0; language < kLanguages; ++language) {
    const uint64_t word = reading->packedCost.word[language / kLanguagesPerWord];
    reading->cost[language] +=
        word >> (kPairFieldBits * (language % kLanguagesPerWord)) & kFieldMask;
  }
  reading->packedCost = {};
}

void AddPairCosts(ByteReading* reading, const PairCostWords& costs) {
  for (uint8_t word = 0; word < kPairWords; ++word)
    reading->packedCost.word[word] += costs.word[word];
}

// Control codes that no text holds: all but tab, line feed, vertical tab, form feed,
// carriage return, the DOS end-of-file mark and escape.
constexpr bool IsBinaryControl(uint8_t b) {
  return (b < 0x20 && !(b >= 0x09 && b <= 0x0D) && b != 0x1A && b != 0x1B) || b == 0x7F;
}

void ReadLetter(ByteReading* reading, uint8_t letter, const PackedPairCosts& packed) {
  const uint8_t previous = reading->previous;
  AddPairCosts(reading, packed.of[previous][letter]);
  reading->words += previous == kBlankClass;
  ++reading->letters;
  ++reading->letterCounts[letter];
  reading->previous = letter;
}

// Code page 866's Latin i and I are held until the next byte shows whether they stand
// next to a Cyrillic letter, where they are the letter і.
void ReadByte(ByteReading* reading, uint8_t byteClass, const PackedPairCosts& packed) {
  if (byteClass < kCyrillicLetters) {
    if (reading->heldI) {
      reading->heldI = false;
      ReadLetter(reading, kI, packed);
    }
    ReadLetter(reading, byteClass, packed);
    return;
  }
  if (reading->heldI) {
    reading->heldI = false;
    if (reading->previous != kBlankClass) ReadLetter(reading, kI, packed);  // the word's last
  }
  if (byteClass == kLatinIClass) {
    reading->heldI = true;
    return;
  }
  if (reading->previous != kBlankClass) {
    AddPairCosts(reading, packed.of[reading->previous][kBlankClass]);
  }
  reading->signs += byteClass == kSignClass;
  reading->foreign += byteClass == kForeignClass;
  reading->previous = kBlankClass;
}

// Counts a Unicode character that is a Cyrillic letter.
void CountUnicodeLetter(uint32_t character, uint32_t* letters, uint64_t* letterSet) {
  const uint8_t letter = LetterClass(character);
  if (letter == kBlankClass) return;
  ++*letters;
  *letterSet |= uint64_t{1} << letter;
}

bool HoldsLetters(uint32_t letters, uint64_t letterSet) {
  return letters >= kUnicodeLetters && (letterSet & (letterSet - 1)) != 0;
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
    CountUnicodeLetter(c, &tally->utf8Cyrillic, &tally->utf8LetterSet);
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

// The code units that text holds: printable ASCII and line ends, Latin letters and signs,
// Cyrillic, general punctuation, currency, letterlike signs and arrows, box drawing and
// blocks, and surrogates.
constexpr bool IsTextUnit(uint32_t u) {
  if (u < 0xA0) return (u >= 0x20 && u < 0x7F) || (u >= 0x09 && u <= 0x0D);
  return u <= 0x24F || (u >= 0x400 && u <= 0x52F) || (u >= 0x2000 && u <= 0x20CF) ||
         (u >= 0x2100 && u <= 0x21FF) || (u >= 0x2500 && u <= 0x25FF) ||
         (u >= 0xD800 && u <= 0xDFFF);
}

bool TooFewTextUnits(const Utf16Reading& reading) {
  return (reading.units - reading.textUnits) * kUtf16TextShare > reading.units;
}

void ReadUtf16Unit(Utf16Reading* reading, uint32_t unit) {
  if (reading->out) return;
  const bool first = reading->units++ == 0;
  if (first) reading->marked = unit == 0xFEFF;
  // The byte-order mark is text only where it belongs, at the start.
  reading->textUnits += unit == 0xFEFF ? first : IsTextUnit(unit);
  CountUnicodeLetter(unit, &reading->cyrillic, &reading->letterSet);
  reading->out = reading->units >= kSettledUnits && TooFewTextUnits(*reading);
}

// The cost of a reading's letter pairs in a language, the last word ended.
uint64_t PairCost(const ByteReading& reading, uint8_t language) {
  const uint8_t last = reading.previous;
  return reading.cost[language] +
         (last != kBlankClass ? kLetterPairCost[language][last][kBlankClass] : 0);
}

// Letters outside the language's alphabet, which count as foreign bytes for it.
uint32_t LettersOutside(const ByteReading& reading, uint8_t language) {
  uint32_t outside = 0;
  for (uint8_t i = 0; i < kCyrillicLetters; ++i) {
    if (!(kAlphabet[language] >> i & 1)) outside += reading.letterCounts[i];
  }
  return outside;
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

// How far the reading's letter frequencies are from the language's (the sum over the
// letters of share times the binary logarithm of share over the language's share), in
// 64ths of a bit, times the number of letters.
int64_t DivergenceTimesLetters(const ByteReading& reading, uint8_t language) {
  const int32_t logLetters = Log2In64ths(reading.letters);
  int64_t sum = 0;
  for (uint8_t i = 0; i < kCyrillicLetters; ++i) {
    const uint32_t count = reading.letterCounts[i];
    if (count == 0) continue;
    sum += int64_t{count} * (Log2In64ths(count) - logLetters + 16 * kLetterCost[language][i]);
  }
  return sum;
}

bool ReadsAs(const ByteReading& reading, uint8_t language) {
  const uint64_t letters = reading.letters;
  return PairCost(reading, language) <= letters * kMostCostPerLetter &&
         (reading.foreign + LettersOutside(reading, language)) * kForeignShare <= letters &&
         DivergenceTimesLetters(reading, language) <= kMostDivergence * reading.letters;
}

bool ReadsAsCyrillic(const ByteReading& reading) {
  if (reading.letters < kVerdictLetters || reading.words * kLongestMeanWord < reading.letters)
    return false;
  for (uint8_t language = 0; language < kLanguages; ++language) {
    if (ReadsAs(reading, language)) return true;
  }
  return false;
}

// What the whole reading costs in its likeliest language, letters, signs and foreign
// bytes: the lower, the likelier.
uint64_t ReadingCost(const ByteReading& reading) {
  uint64_t least = UINT64_MAX;
  for (uint8_t language = 0; language < kLanguages; ++language) {
    const uint64_t foreign = reading.foreign + LettersOutside(reading, language);
    const uint64_t cost =
        PairCost(reading, language) + reading.signs * kSignCost + foreign * kForeignCost;
    if (cost < least) least = cost;
  }
  return least;
}

// Text after the byte-order mark is UTF-16 whatever its letters: a map of code page bytes
// would change the mark and every letter beyond ASCII.
bool ReadsAsUtf16(const Utf16Reading& reading) {
  const bool markedText = reading.marked && reading.units > 1;
  return !reading.out && (markedText || HoldsLetters(reading.cyrillic, reading.letterSet)) &&
         !TooFewTextUnits(reading);
}

}  // namespace

void StartTextTally(TextTally* tally) {
  *tally = TextTally{};
  for (ByteReading& reading : tally->readings)
    reading.previous = kBlankClass;
}

void TallyText(TextTally* tally, const uint8_t* bytes, uint32_t count) {
  const PackedPairCosts& packed = kPackedPairCost;
  for (uint32_t run = 0; run < count; run += kPackedRun) {
    const uint32_t end = count - run < kPackedRun ? count : run + kPackedRun;
    // Once an ASCII byte other than i has ended every reading's word, the next such byte
    // changes none of them.
    bool idle = false;
    for (uint32_t i = run; i < end; ++i) {
      const uint8_t b = bytes[i];
      tally->nul |= b == 0;
      tally->controls += IsBinaryControl(b);
      const bool plain = b < 0x80 && b != 'i' && b != 'I';
      if (!(plain && idle)) {
        for (uint8_t encoding = 0; encoding < kByteEncodings; ++encoding)
          ReadByte(&tally->readings[encoding], kByteClasses.of[encoding][b], packed);
        idle = plain;
      }
      if (!tally->utf8Broken) ReadUtf8Byte(tally, b);
      if ((tally->bytes + i) % 2 == 0) {
        tally->utf16First = b;
      } else {
        ReadUtf16Unit(&tally->utf16[0], tally->utf16First | uint32_t{b} << 8);
        ReadUtf16Unit(&tally->utf16[1], uint32_t{tally->utf16First} << 8 | b);
      }
    }
    for (ByteReading& reading : tally->readings)
      AddPackedCosts(&reading);
  }
  tally->bytes += count;
}

TextVerdict JudgeText(const TextTally* tally, CodePageId named) {
  // UTF-16 is told before its zero bytes make it look binary.
  if (ReadsAsUtf16(tally->utf16[0]) || ReadsAsUtf16(tally->utf16[1])) return kTextInUtf16;
  if (tally->nul || tally->controls * kControlShare > tally->bytes) return kTextNotText;
  // A character cut off by the end of what was read may still be completed.
  if (!tally->utf8Broken && HoldsLetters(tally->utf8Cyrillic, tally->utf8LetterSet))
    return kTextInUtf8;
  const ByteReading& asNamed = tally->readings[named];
  if (ReadsAsCyrillic(asNamed)) return kTextAsNamed;
  // The likeliest of the other readings, when it is text and the named one is not.
  const TextVerdict kVerdictOf[kByteEncodings] = {kTextInOtherPage, kTextInOtherPage, kTextInKoi8,
                                                  kTextInIso88595};
  TextVerdict verdict = kTextUndecided;
  uint64_t least = ReadingCost(asNamed);
  for (uint8_t encoding = 0; encoding < kByteEncodings; ++encoding) {
    const ByteReading& reading = tally->readings[encoding];
    if (encoding == named || !ReadsAsCyrillic(reading)) continue;
    const uint64_t cost = ReadingCost(reading);
    if (cost + kMargin <= least) {
      least = cost + kMargin;
      verdict = kVerdictOf[encoding];
    }
  }
  return verdict;
}

bool TextMayYetDecide(const TextTally* tally) {
  if (!tally->utf8Broken) return true;
  for (const Utf16Reading& reading : tally->utf16) {
    if (!reading.out) return true;
  }
  for (const ByteReading& reading : tally->readings) {
    if (reading.letters < kSettledLetters || ReadsAsCyrillic(reading)) return true;
  }
  return false;
}
