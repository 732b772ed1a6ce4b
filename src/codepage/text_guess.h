// Which encoding a text is in: code page 866, code page 1251 or UTF-8, judged from its
// bytes alone by letter statistics of Russian text. A guess says "undecided" rather
// than guess wrong: only plain evidence makes a verdict.
#pragma once

#include <stdint.h>

/// The two code pages the program converts between.
enum CodePageId : uint8_t { kCodePage866 = 0, kCodePage1251 = 1 };

/// What the bytes tallied so far say about the code page the caller names.
enum TextVerdict : uint8_t {
  kTextUndecided,    // too little or mixed evidence; more text may decide
  kTextNotText,      // control bytes of binary data: no verdict will come
  kTextAsNamed,      // Russian text in the named code page
  kTextInOtherPage,  // Russian text in the other code page, and not in the named one
  kTextInUtf8,       // UTF-8 with Cyrillic letters
};

/// Letters of the Russian alphabet (а to я, then ё), and one more class for everything
/// else, where a word begins or ends.
inline constexpr uint8_t kRussianLetters = 33;
inline constexpr uint8_t kLetterClasses = kRussianLetters + 1;
inline constexpr uint8_t kBlankClass = kRussianLetters;

/// The statistics, as costs in quarters of a bit (minus four times the binary logarithm
/// of a probability): a letter pair's, given the first letter (or the blank class), and a
/// letter's on its own, case folded.
extern const uint8_t kLetterPairCost[kLetterClasses][kLetterClasses];
extern const uint8_t kLetterCost[kRussianLetters];

/// The counts of one reading of the bytes: as code page 866, or as 1251.
struct PageReading {
  uint32_t letters;
  uint32_t words;
  uint32_t signs;    // bytes from 0x80 up that are signs there: box drawing, quotes, dashes
  uint32_t foreign;  // bytes that are letters of other alphabets or rare signs there
  uint64_t cost;     // of the letter pairs, in quarters of a bit
  uint8_t previous;  // the class of the last byte read, for the next pair
  uint32_t letterCounts[kRussianLetters];
};

/// The counts of the text read so far, in pieces of any size.
struct TextTally {
  uint64_t bytes;
  uint64_t controls;  // bytes that text never holds: NUL and most other control codes
  bool nul;
  PageReading pages[2];  // indexed by CodePageId
  // UTF-8: whether every sequence so far was well formed, the continuation bytes still
  // to come, the character being assembled and the smallest value it may have.
  bool utf8Broken;
  uint8_t utf8Pending;
  uint32_t utf8Character;
  uint32_t utf8Least;
  uint32_t utf8Cyrillic;  // Russian letters among the UTF-8 characters
};

/// Starts a tally: call before the first piece.
void StartTextTally(TextTally* tally);

/// Adds count bytes, the continuation of what was tallied before.
void TallyText(TextTally* tally, const uint8_t* bytes, uint32_t count);

/// The verdict on what was tallied, for a text said to be in the named code page.
TextVerdict JudgeText(const TextTally* tally, CodePageId named);
