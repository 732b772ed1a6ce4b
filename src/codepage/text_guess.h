// Which encoding a text is in, judged from its bytes alone by letter statistics of
// Russian, Ukrainian, Belarusian, Bulgarian, Serbian and Macedonian text: code page 866 or 1251,
// or one that Pelcor does not convert (KOI8-R with KOI8-U's letters, ISO-8859-5, UTF-8 and UTF-16
// of any script, the Latin code pages), or binary data. A guess says "undecided" rather than
// guess wrong: only plain evidence makes a verdict.
#pragma once

#include <stdint.h>

/// The two code pages the program converts between.
enum CodePageId : uint8_t { kCodePage866 = 0, kCodePage1251 = 1 };

/// The other one of the two.
inline CodePageId OtherCodePage(CodePageId page) {
  return page == kCodePage866 ? kCodePage1251 : kCodePage866;
}

/// The code page's number, as the switches and the lines name it: "866" or "1251".
inline const char* CodePageNumber(CodePageId page) {
  return page == kCodePage866 ? "866" : "1251";
}

/// The single-byte encodings the bytes are read in, the two code pages first.
enum ByteEncoding : uint8_t {
  kBytes866 = kCodePage866,
  kBytes1251 = kCodePage1251,
  kBytesKoi8,
  kBytesIso88595,
};
inline constexpr uint8_t kByteEncodings = 4;

/// What the bytes tallied so far say about the code page the caller names.
enum TextVerdict : uint8_t {
  kTextUndecided,    // too little or mixed evidence; more text may decide
  kTextNotText,      // control bytes of binary data: no verdict will come
  kTextAsNamed,      // Cyrillic text in the named code page
  kTextInOtherPage,  // Cyrillic text in the other code page, and not in the named one
  kTextInUtf8,       // UTF-8 with characters of a script in general use, or its mark
  kTextInKoi8,       // Cyrillic text in KOI8-R or KOI8-U, and not in the named code page
  kTextInIso88595,   // Cyrillic text in ISO-8859-5, and not in the named code page
  kTextInUtf16,      // UTF-16 text with Cyrillic letters or its byte-order mark
  kTextInLatin,      // accented letters of a Latin code page inside words of ASCII letters
};

/// The languages whose letter statistics the guess knows: Russian, Ukrainian, Belarusian,
/// Bulgarian, Serbian, Macedonian.
inline constexpr uint8_t kLanguages = 6;

/// The letters of the six alphabets (а to я, ё, then і ї є ґ ў, then ђ ј љ њ ћ џ ѓ ќ ѕ), and
/// one more class for everything else, where a word begins or ends. Code page 866 has none of
/// the last nine.
inline constexpr uint8_t kCyrillicLetters = 47;
inline constexpr uint8_t kLetterClasses = kCyrillicLetters + 1;
inline constexpr uint8_t kBlankClass = kCyrillicLetters;

/// The statistics of each language, as costs in quarters of a bit (minus four times the
/// binary logarithm of a probability): a letter pair's, given the first letter (or the
/// blank class), and a letter's on its own, case folded; and the letters of its alphabet,
/// a bit each.
extern const uint8_t kLetterPairCost[kLanguages][kLetterClasses][kLetterClasses];
extern const uint8_t kLetterCost[kLanguages][kCyrillicLetters];
extern const uint64_t kAlphabet[kLanguages];

/// The pair costs of the languages in two words, three languages a word and kPairFieldBits
/// each, so that a letter costs a reading two additions. Built with the statistics, when the
/// program is compiled.
inline constexpr uint32_t kPairFieldBits = 21;
inline constexpr uint8_t kLanguagesPerWord = 3;
inline constexpr uint8_t kPairWords = kLanguages / kLanguagesPerWord;
struct PairCostWords {
  uint64_t word[kPairWords];
};
struct PackedPairCosts {
  PairCostWords of[kLetterClasses][kLetterClasses];
};
extern const PackedPairCosts kPackedPairCost;

constexpr PackedPairCosts PackPairCosts(
    const uint8_t (&costs)[kLanguages][kLetterClasses][kLetterClasses]) {
  PackedPairCosts packed = {};
  for (uint8_t first = 0; first < kLetterClasses; ++first) {
    for (uint8_t second = 0; second < kLetterClasses; ++second) {
      // A blank after a blank is no pair: it costs nothing, so that a reading may add the
      // pair of every byte it reads.
      if (first == kBlankClass && second == kBlankClass) continue;
      for (uint8_t language = 0; language < kLanguages; ++language)
        packed.of[first][second].word[language / kLanguagesPerWord] |=
            uint64_t{costs[language][first][second]}
            << (kPairFieldBits * (language % kLanguagesPerWord));
    }
  }
  return packed;
}

/// The counts of one single-byte reading of the text.
struct ByteReading {
  uint32_t letters;
  uint32_t words;
  uint32_t signs;    // bytes from 0x80 up that are signs there: box drawing, quotes, dashes
  uint32_t foreign;  // bytes that are letters of no alphabet known, rare signs or controls
  uint64_t cost[kLanguages];  // of the letter pairs, in quarters of a bit
  PairCostWords packedCost;   // costs not yet added in, one field of 21 bits a language
  uint8_t previous;           // the class of the last letter or blank read, for the next pair
  bool heldI;                 // a Latin i or I, a letter if a letter stands before or after it
  uint32_t letterCounts[kLetterClasses];  // the blank class's last, counted and never read
};

/// The counts of one byte order of UTF-16.
struct Utf16Reading {
  uint64_t units;
  uint64_t textUnits;  // of letters, digits, blanks, punctuation, line ends and lines
  uint32_t cyrillic;   // Cyrillic letters among them
  uint64_t letterSet;  // which letters, a bit each
  bool out;            // too many units were not text: it is not UTF-16, whatever follows
  bool marked;         // the first unit is the byte-order mark
};

/// The counts of the UTF-8 reading.
struct Utf8Reading {
  // Whether every sequence so far was well formed, the continuation bytes still to come,
  // the character being assembled, the smallest value it may have, and what the two code
  // pages have at all its bytes so far, and at those after the first (letters, capitals,
  // small letters: a bit each for each code page).
  bool broken;
  uint8_t pending;
  uint32_t character;
  uint32_t least;
  uint8_t allBytes;
  uint8_t laterBytes;
  bool begun;        // a character was read
  bool afterLetter;  // the last character read is an ASCII letter
  bool marked;       // the first character is the byte-order mark
  // Characters of scripts in general use; those whose bytes do not spell letters of the
  // code page, for each code page; the first of them, and whether any other character came.
  uint32_t common;
  uint32_t counted[2];
  uint32_t first;
  bool varied;
};

/// The counts of the Latin reading: runs of bytes from 0x80 up that stand between two
/// ASCII letters, as the accented letters of a Latin code page do.
struct LatinReading {
  uint32_t inWords[2];  // runs of one or two Latin letters inside a word, by code page
  uint32_t long3;       // runs of three bytes or more, as words of a Cyrillic code page are
  uint64_t runStart;    // the offset of the last run's first byte
  uint8_t first;        // that byte
  uint8_t before;       // the byte before it
};

/// The counts of the text read so far, in pieces of any size.
struct TextTally {
  uint64_t bytes;
  uint64_t controls;        // bytes that text never holds: NUL and most other control codes
  uint64_t firstControlAt;  // the offset of the first of them in the bytes tallied
  uint8_t firstControl;
  uint8_t lastByte;  // the last byte of the piece before
  bool nul;
  ByteReading readings[kByteEncodings];  // indexed by ByteEncoding
  Utf8Reading utf8;
  LatinReading latin;
  Utf16Reading utf16[2];  // little-endian, then big-endian
  uint8_t utf16First;     // the first byte of a unit whose second is still to come
};

/// Starts a tally: call before the first piece.
void StartTextTally(TextTally* tally);

/// Adds count bytes, the continuation of what was tallied before.
void TallyText(TextTally* tally, const uint8_t* bytes, uint32_t count);

/// The verdict on what was tallied, for a text said to be in the named code page.
TextVerdict JudgeText(const TextTally* tally, CodePageId named);

/// Whether more text could still make an undecided verdict: false once every reading
/// has seen enough to say that it is not Cyrillic text, so that reading on is in vain.
bool TextMayYetDecide(const TextTally* tally);

/// The fewest letters a reading needs before it can be told from the others.
uint32_t VerdictLetterFloor();

/// The language of the text read in the encoding, where its letters tell it: the reading
/// is text in that language and costs less in it than in every other by the margin of a
/// verdict. kLanguages where they do not.
uint8_t LikeliestLanguage(const TextTally* tally, ByteEncoding encoding);
