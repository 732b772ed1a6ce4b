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
// UTF-16 text holding this many Cyrillic letters, two of them different, is taken for
// UTF-16. One letter over and over is more likely two bytes repeated.
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
// carriage return, the DOS end-of-file mark, escape (of printer files), and those that DOS
// text shows as arrows and uses so: ► ◄ ↑ ↓ ▲ ▼.
constexpr bool IsBinaryControl(uint8_t b) {
  constexpr uint32_t kTextControls = 1u << 0x09 | 1u << 0x0A | 1u << 0x0B | 1u << 0x0C |
                                     1u << 0x0D | 1u << 0x10 | 1u << 0x11 | 1u << 0x18 |
                                     1u << 0x19 | 1u << 0x1A | 1u << 0x1B | 1u << 0x1E | 1u << 0x1F;
  return (b < 0x20 && !(kTextControls >> b & 1)) || b == 0x7F;
}

void ReadLetter(ByteReading* reading, uint8_t letter, const PackedPairCosts& packed) {
  const uint8_t previous = reading->previous;
  AddPairCosts(reading, packed.of[previous][letter]);
  reading->words += previous == kBlankClass;
  ++reading->letters;
  ++reading->letterCounts[letter];
  reading->previous = letter;
}

// Code page 866's Latin i and I are held until the next byte, of class byteClass, shows
// whether they stand next to a Cyrillic letter, where they are the letter і: before a
// letter, or as the last of a word.
void ReadHeldI(ByteReading* reading, uint8_t byteClass, const PackedPairCosts& packed) {
  if (reading->heldI && (byteClass < kCyrillicLetters || reading->previous != kBlankClass))
    ReadLetter(reading, kI, packed);
  reading->heldI = byteClass == kLatinIClass;
}

// Reads a byte of class byteClass. A letter adds the pair it ends; any other byte ends the
// word, adding the pair of its last letter and a blank, and is a blank to the next. The
// two take the same steps, without a branch between them: which one a byte is, text
// seldom lets a branch foretell.
void ReadByte(ByteReading* reading, uint8_t byteClass, const PackedPairCosts& packed) {
  if (reading->heldI || byteClass == kLatinIClass) {
    ReadHeldI(reading, byteClass, packed);
    if (byteClass == kLatinIClass) return;
  }
  const bool letter = byteClass < kCyrillicLetters;
  const uint8_t read = letter ? byteClass : kBlankClass;
  const uint8_t previous = reading->previous;
  AddPairCosts(reading, packed.of[previous][read]);
  reading->words += letter && previous == kBlankClass;
  reading->letters += letter;
  ++reading->letterCounts[read];
  reading->signs += byteClass == kSignClass;
  reading->foreign += byteClass == kForeignClass;
  reading->previous = read;
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

// The characters of scripts and signs in general use: Latin with its accents, Greek,
// Cyrillic, Armenian, Hebrew, Arabic, Devanagari, Thai, Georgian, general punctuation,
// currency, letterlike signs, arrows and mathematical operators, enclosed letters, box
// drawing, shapes, symbols and dingbats,
// CJK punctuation, kana and ideographs, Hangul, full-width forms and pictographs. Code
// page text forms valid UTF-8 by chance in rarer blocks than these, if at all.
constexpr uint32_t kCommonBlocks[][2] = {
    {0xA0, 0x17F},    {0x218, 0x21B},   {0x384, 0x3CE},   {0x400, 0x52F},   {0x531, 0x587},
    {0x591, 0x5F4},   {0x600, 0x6FF},   {0x900, 0x97F},   {0xE00, 0xE7F},   {0x10A0, 0x10FF},
    {0x2010, 0x205E}, {0x20A0, 0x20BF}, {0x2100, 0x214F}, {0x2190, 0x22FF}, {0x2460, 0x27BF},
    {0x3000, 0x30FF}, {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xFF01, 0xFFEF}, {0x1F300, 0x1FAFF},
};

constexpr bool InCommonBlock(uint32_t c) {
  for (const auto& [first, last] : kCommonBlocks) {
    if (c >= first && c <= last) return true;
  }
  return false;
}

// What each code page has at each byte: bit 0 a letter of the Russian, Ukrainian and
// Belarusian alphabets in code page 866, bit 1 in 1251; bits 2 and 3 a capital, bits 4 and
// 5 a small letter. The letters of code page 1251 from ђ on, which stand at most of the
// bytes that follow a UTF-8 lead byte (Гј is ü, Гњ Ü, ДЌ č), are not among them: accented
// letters would spell them at every word's start. Serbian and Macedonian words seldom
// form valid UTF-8 with them, as a lead byte is a capital or one of а..ф, and a
// text that reads as Cyrillic in the code page named is never taken for UTF-8.
struct PageLetters {
  uint8_t of[256];
};

// The bits of code page 866 in each byte of PageLetters; those of 1251 stand one higher.
constexpr uint8_t kLetterBit = 1, kCapitalBit = 4, kSmallBit = 16;

constexpr bool IsCapital866(uint32_t b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xF0 && b <= 0xF7 && b % 2 == 0);
}

constexpr bool IsCapital1251(uint32_t b) {
  return (b >= 0xC0 && b <= 0xDF) || b == 0xA8 || b == 0xA1 || b == 0xB2 || b == 0xA5 ||
         b == 0xAA || b == 0xAF;
}

constexpr PageLetters MakePageLetters() {
  PageLetters letters = {};
  for (uint32_t b = 0x80; b < 256; ++b) {
    const bool in866 = Class866(b) < kDje, in1251 = Class1251(b) < kDje;
    const bool capital866 = in866 && IsCapital866(b), capital1251 = in1251 && IsCapital1251(b);
    letters.of[b] =
        static_cast<uint8_t>(in866 | in1251 << 1 | capital866 << 2 | capital1251 << 3 |
                             (in866 && !capital866) << 4 | (in1251 && !capital1251) << 5);
  }
  return letters;
}
constexpr PageLetters kPageLetters = MakePageLetters();

// Whether the bytes of the character just read spell letters of the code page as a word
// does: all capitals, or small letters after the first.
bool SpellsLetters(const Utf8Reading& reading, uint8_t page) {
  const uint8_t all = reading.allBytes >> page, rest = reading.laterBytes >> page;
  return (all & kLetterBit) && ((all & kCapitalBit) || (rest & kSmallBit));
}

// A well-formed character: the byte-order mark at the start, or one of a script in
// general use, counted for each code page whose letters its bytes do not spell. Code page
// text that forms valid UTF-8 by chance seldom forms one of these but of its letters, as
// "ход" in code page 866 forms 室; the en dash is "тАУ" there, which no word holds.
void CountUtf8Character(Utf8Reading* reading, uint32_t c) {
  if (!reading->begun) reading->marked = c == 0xFEFF;
  reading->begun = true;
  if (!InCommonBlock(c)) return;
  if (reading->common++ == 0) reading->first = c;
  reading->varied |= c != reading->first;
  // An accented Latin letter right after an ASCII one stands inside a word of Latin
  // letters, which no word of the code pages' letters continues.
  const bool inLatinWord =
      reading->afterLetter && c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7;
  reading->counted[0] += inLatinWord || !SpellsLetters(*reading, 0);
  reading->counted[1] += inLatinWord || !SpellsLetters(*reading, 1);
}

void ReadUtf8Continuation(Utf8Reading* reading, uint8_t b) {
  if ((b & 0xC0) != 0x80) {
    reading->broken = true;
    return;
  }
  reading->character = (reading->character << 6) | (b & 0x3Fu);
  reading->allBytes &= kPageLetters.of[b];
  reading->laterBytes &= kPageLetters.of[b];
  if (--reading->pending > 0) return;
  const uint32_t c = reading->character;
  // Overlong forms, surrogates and values past Unicode are not UTF-8.
  if (c < reading->least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
    reading->broken = true;
    return;
  }
  CountUtf8Character(reading, c);
  reading->afterLetter = false;
}

void ReadUtf8Byte(Utf8Reading* reading, uint8_t b) {
  if (reading->pending > 0) return ReadUtf8Continuation(reading, b);
  if (b < 0x80) {
    // Any other character makes a text of one character said over and over.
    reading->varied = true;
    reading->begun = true;
    reading->afterLetter = (b | 0x20) >= 'a' && (b | 0x20) <= 'z';
    return;
  }
  // A lead byte past 0xF4 would begin a value past Unicode.
  const uint8_t length = Utf8SequenceLength(b);
  if (length == 1 || b > 0xF4) {
    reading->broken = true;
    return;
  }
  constexpr uint32_t kLeast[] = {0x80, 0x800, 0x10000};  // by length, from 2
  reading->pending = length - 1;
  reading->character = b & (0x7Fu >> length);
  reading->least = kLeast[length - 2];
  reading->allBytes = kPageLetters.of[b];
  reading->laterBytes = 0xFF;
}

// Valid UTF-8 that begins with its byte-order mark, or holds a character counted for the
// code page and is not one character over and over, which is more likely two bytes
// repeated. A character cut off by the end of what was read may still be completed.
bool ReadsAsUtf8(const Utf8Reading& reading, CodePageId named) {
  return !reading.broken && (reading.marked || (reading.counted[named] > 0 && reading.varied));
}

// The kinds of byte the Latin reading tells apart: ASCII letters, among them i and the
// letters that look like Cyrillic ones, and letters and signs from 0x80 up.
enum LatinKind : uint8_t {
  kLatinOther,
  kLatinAscii,
  kLatinAsciiI,
  kLatinAsciiLike,
  kLatinLetter,
  kLatinSign,
};

// Letters from 0x80 up in Windows-1252, Windows-1250, ISO-8859-1 or ISO-8859-2, beside
// 0xC0 to 0xFF but × and ÷.
constexpr uint8_t kLatinHighLetters[] = {
    0x83, 0x8A, 0x8C, 0x8D, 0x8E, 0x8F, 0x9A, 0x9C, 0x9D, 0x9E, 0x9F, 0xA1, 0xA3, 0xA5, 0xA6, 0xA9,
    0xAA, 0xAB, 0xAC, 0xAE, 0xAF, 0xB1, 0xB3, 0xB5, 0xB6, 0xB9, 0xBA, 0xBB, 0xBC, 0xBE, 0xBF,
};

// The Latin letters that a Cyrillic one looks like, which Russian text has in place of
// Cyrillic letters, and the Cyrillic letters that look like Latin ones, by code page,
// which English words have in place of Latin ones: а в е к м н о р с т у х.
constexpr char kLikeCyrillic[] = "aceopxykABCEHKMOPTXY";
constexpr uint8_t kLikeLatin[2][18] = {
    {0xA0, 0xA5, 0xAA, 0xAE, 0xE0, 0xE1, 0xE3, 0xE5, 0x80, 0x82, 0x85, 0x8A, 0x8C, 0x8D, 0x8E, 0x90,
     0x91, 0x92},
    {0xE0, 0xE5, 0xEA, 0xEE, 0xF0, 0xF1, 0xF3, 0xF5, 0xC0, 0xC2, 0xC5, 0xCA, 0xCC, 0xCD, 0xCE, 0xD0,
     0xD1, 0xD2},
};

constexpr bool IsIn(uint32_t b, const auto& bytes) {
  for (const auto byte : bytes) {
    if (b == static_cast<uint8_t>(byte) && byte != 0) return true;
  }
  return false;
}

constexpr LatinKind LatinKindOf(uint32_t b) {
  if (b == 'i' || b == 'I') return kLatinAsciiI;
  if (IsIn(b, kLikeCyrillic)) return kLatinAsciiLike;
  if ((b | 0x20) >= 'a' && (b | 0x20) <= 'z') return kLatinAscii;
  if (b < 0x80) return kLatinOther;
  if (b >= 0xC0) return b == 0xD7 || b == 0xF7 ? kLatinSign : kLatinLetter;
  return IsIn(b, kLatinHighLetters) ? kLatinLetter : kLatinSign;
}

struct LatinKinds {
  LatinKind of[256];
  uint8_t likeLatin[256];  // bit 0: in code page 866, bit 1: in 1251
};

constexpr LatinKinds MakeLatinKinds() {
  LatinKinds kinds = {};
  for (uint32_t b = 0; b < 256; ++b) {
    kinds.of[b] = LatinKindOf(b);
    kinds.likeLatin[b] = IsIn(b, kLikeLatin[0]) | IsIn(b, kLikeLatin[1]) << 1;
  }
  return kinds;
}
constexpr LatinKinds kLatinKinds = MakeLatinKinds();

constexpr bool IsAsciiLetter(uint8_t kind) {
  return kind >= kLatinAscii && kind <= kLatinAsciiLike;
}

// Whether a run of length high bytes, the last of them last, that ends before byte b
// stands inside a word of ASCII letters: one or two letters of a Latin code page between
// two different ASCII letters, not both i, which stand for the letter і around letters of
// code page 866 in DOS-era Ukrainian, nor both look-alikes of Cyrillic letters, as in
// Russian words typed in part with Latin letters. Two of the same letter around it are a
// pair of bytes repeated.
bool RunInWord(const LatinReading& reading, uint64_t length, uint8_t last, uint8_t b) {
  const uint8_t before = kLatinKinds.of[reading.before], after = kLatinKinds.of[b];
  const bool letters =
      kLatinKinds.of[reading.first] == kLatinLetter && kLatinKinds.of[last] == kLatinLetter;
  return length <= 2 && letters && IsAsciiLetter(before) && IsAsciiLetter(after) &&
         reading.before != b && !(before == after && after != kLatinAscii);
}

// Reads the edge between byte previous and byte b, one of them from 0x80 up and the
// other not, at offset at: the start or the end of a run of high bytes. A run inside a
// word is counted for each code page in which it is not one Cyrillic letter that looks
// like a Latin one.
void ReadLatinEdge(LatinReading* reading, uint8_t previous, uint8_t b, uint64_t at) {
  if (b >= 0x80) {
    reading->runStart = at;
    reading->before = previous;
    reading->first = b;
    return;
  }
  const uint64_t length = at - reading->runStart;
  if (RunInWord(*reading, length, previous, b)) {
    const uint8_t like = length == 1 ? kLatinKinds.likeLatin[reading->first] : 0;
    reading->inWords[0] += !(like & 1);
    reading->inWords[1] += !(like & 2);
  }
  reading->long3 += length >= 3;
}

// Accented letters stand inside words, and more often than words of high bytes.
bool ReadsAsLatin(const LatinReading& reading, CodePageId named) {
  return reading.inWords[named] > reading.long3;
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

// Counts a byte that text never holds, noting the first of them and where it stands.
void CountControl(TextTally* tally, uint8_t b, uint64_t at) {
  const bool control = IsBinaryControl(b);
  if (control && tally->controls == 0) {
    tally->firstControl = b;
    tally->firstControlAt = at;
  }
  tally->controls += control;
  tally->nul |= b == 0;
}

// Reads the byte at offset at into both byte orders of UTF-16: the first byte of a unit
// waits for the second.
void ReadUtf16Byte(TextTally* tally, uint8_t b, uint64_t at) {
  if (at % 2 == 0) {
    tally->utf16First = b;
    return;
  }
  ReadUtf16Unit(&tally->utf16[0], tally->utf16First | uint32_t{b} << 8);
  ReadUtf16Unit(&tally->utf16[1], uint32_t{tally->utf16First} << 8 | b);
}

// Tallies count bytes, kPackedRun at most, that stand at offset at, and adds their pair
// costs into the readings.
void TallyRun(TextTally* tally, const uint8_t* bytes, uint32_t count, uint64_t at) {
  const PackedPairCosts& packed = kPackedPairCost;
  uint8_t previous = tally->lastByte;
  // Once an ASCII byte other than i has ended every reading's word, the next such byte
  // changes none of them.
  bool idle = false;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    CountControl(tally, b, at + i);
    const bool plain = b < 0x80 && b != 'i' && b != 'I';
    if (!(plain && idle)) {
      for (uint8_t encoding = 0; encoding < kByteEncodings; ++encoding)
        ReadByte(&tally->readings[encoding], kByteClasses.of[encoding][b], packed);
      // A skipped byte neither begins nor ends a run of high bytes.
      if ((b ^ previous) & 0x80) ReadLatinEdge(&tally->latin, previous, b, at + i);
      idle = plain;
    }
    previous = b;
    if (!tally->utf8.broken) ReadUtf8Byte(&tally->utf8, b);
    ReadUtf16Byte(tally, b, at + i);
  }
  tally->lastByte = previous;
  for (ByteReading& reading : tally->readings)
    AddPackedCosts(&reading);
}

}  // namespace

void StartTextTally(TextTally* tally) {
  *tally = TextTally{};
  for (ByteReading& reading : tally->readings)
    reading.previous = kBlankClass;
}

void TallyText(TextTally* tally, const uint8_t* bytes, uint32_t count) {
  for (uint32_t run = 0; run < count; run += kPackedRun) {
    const uint32_t size = count - run < kPackedRun ? count - run : kPackedRun;
    TallyRun(tally, bytes + run, size, tally->bytes + run);
  }
  tally->bytes += count;
}

TextVerdict JudgeText(const TextTally* tally, CodePageId named) {
  // UTF-16 is told before its zero bytes make it look binary.
  if (ReadsAsUtf16(tally->utf16[0]) || ReadsAsUtf16(tally->utf16[1])) return kTextInUtf16;
  if (tally->nul || tally->controls * kControlShare > tally->bytes) return kTextNotText;
  const ByteReading& asNamed = tally->readings[named];
  if (ReadsAsCyrillic(asNamed)) return kTextAsNamed;
  if (ReadsAsUtf8(tally->utf8, named)) return kTextInUtf8;
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
  // Accented letters in valid UTF-8 are UTF-8, whatever the code page spells with them.
  if (verdict == kTextUndecided && ReadsAsLatin(tally->latin, named))
    return !tally->utf8.broken && tally->utf8.common > 0 ? kTextInUtf8 : kTextInLatin;
  return verdict;
}

uint32_t VerdictLetterFloor() {
  return kVerdictLetters;
}

uint8_t LikeliestLanguage(const TextTally* tally, ByteEncoding encoding) {
  const ByteReading& reading = tally->readings[encoding];
  if (!ReadsAsCyrillic(reading)) return kLanguages;
  uint8_t likeliest = kLanguages;
  uint64_t least = UINT64_MAX, next = UINT64_MAX;
  for (uint8_t language = 0; language < kLanguages; ++language) {
    const uint64_t cost =
        PairCost(reading, language) + uint64_t{LettersOutside(reading, language)} * kForeignCost;
    if (cost < least) {
      next = least;
      least = cost;
      likeliest = language;
    } else if (cost < next) {
      next = cost;
    }
  }
  return least + kMargin <= next && ReadsAs(reading, likeliest) ? likeliest : kLanguages;
}

bool TextMayYetDecide(const TextTally* tally) {
  if (!tally->utf8.broken) return true;
  for (const Utf16Reading& reading : tally->utf16) {
    if (!reading.out) return true;
  }
  for (const ByteReading& reading : tally->readings) {
    if (reading.letters < kSettledLetters || ReadsAsCyrillic(reading)) return true;
  }
  return false;
}
