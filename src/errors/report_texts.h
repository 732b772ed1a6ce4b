// The texts of the error report, Russian (cp866) first and English after, and the
// pieces of the report built from the error context.
#pragma once

#include <stdint.h>

/// Entries per language in each table; the English half starts at that index.
inline constexpr int16_t kLabelCount = 6;
inline constexpr int16_t kActionCount = 18;
inline constexpr int16_t kCauseCount = 14;
inline constexpr int16_t kRecommendationCount = 8;

/// Pelcor's own error numbers: the last 256 of the error context's 16 bits, above every
/// number that Windows (below 16000) or a C library (errno values, below 4096) gives. Their
/// texts come from Pelcor's own table, not from the system.
enum OwnError : uint16_t {
  kOwnErrorFirst = 0xFF00,
  kErrorTextIn866 = kOwnErrorFirst,  // code page 1251 was named
  kErrorTextIn1251,                  // code page 866 was named
  kErrorUtf8Not1251,
  kErrorUtf8Not866,
  kErrorTextInKoi8,  // either code page named
  kErrorTextInIso88595,
  kErrorTextInUtf16,
  kErrorPartlyConverted,
  kErrorFileChanged,  // cut short by another program while it was converted
};

/// The cause and recommendation of a refused text: "format of data element not correct",
/// "take correct information".
inline constexpr uint8_t kCauseDataFormat = 9;
inline constexpr uint8_t kRecommendCorrectInformation = 3;

/// The cause and recommendation of a file changed by another program meanwhile:
/// "unexpected error", "repeat when cause discarded".
inline constexpr uint8_t kCauseUnexpected = 13;
inline constexpr uint8_t kRecommendRepeatWhenMended = 7;

/// Pelcor's own texts: the error lines of its own errors, by error number, then the lines
/// that say where a file stands once its conversion stopped part-way (the name, the word
/// for how it stopped and the bytes converted fill their three %s), where a conversion
/// resumes, and why a file or a stream is left alone.
inline constexpr int16_t kOwnErrorCount = 9;
inline constexpr int16_t kOwnTextStoppedRecorded = kOwnErrorCount;
inline constexpr int16_t kOwnTextNotResumable = kOwnErrorCount + 1;
inline constexpr int16_t kOwnTextResuming = kOwnErrorCount + 2;
// Recorded, in a run whose earlier names that command would convert a second time.
inline constexpr int16_t kOwnTextStoppedAfterUnrecorded = kOwnErrorCount + 3;
// Recorded, in a run interrupted after other names, each of which it left recorded.
inline constexpr int16_t kOwnTextInterruptedAmongOthers = kOwnErrorCount + 4;
// The words for how a conversion stopped: a request to end the process, or an Abort.
inline constexpr int16_t kOwnTextInterrupted = kOwnErrorCount + 5;
inline constexpr int16_t kOwnTextStopped = kOwnErrorCount + 6;
inline constexpr int16_t kOwnTextConvertedAlready = kOwnErrorCount + 7;
inline constexpr int16_t kOwnTextSameFile = kOwnErrorCount + 8;
inline constexpr int16_t kOwnTextInputClosed = kOwnErrorCount + 9;
inline constexpr int16_t kOwnTextOutputClosed = kOwnErrorCount + 10;
inline constexpr int16_t kOwnTextCount = kOwnErrorCount + 11;

/// Sizes of the report's text buffers, terminator included.
inline constexpr uint32_t kActionTextSize = 125;
inline constexpr uint32_t kSystemErrorTextSize = 80;
inline constexpr uint32_t kNumberTextSize = 15;

/// Label numbers: the line labels, the prompt, and the format of a number that has no
/// entry in its table.
enum ReportLabel : int8_t {
  kLabelAction = 0,
  kLabelError = 1,
  kLabelCause = 2,
  kLabelRecommendation = 3,
  kLabelPrompt = 4,
  kLabelNumber = 5,
};

/// The four tables, both languages each: Russian entries first, then English.
extern const char* const kLabelTexts[2 * kLabelCount];
extern const char* const kActionTexts[2 * kActionCount];
extern const char* const kCauseTexts[2 * kCauseCount];
extern const char* const kRecommendationTexts[2 * kRecommendationCount];
extern const char* const kOwnTexts[2 * kOwnTextCount];

/// Language offsets of the tables whose offsets are not in the error context.
struct ReportTableOffsets {
  int16_t label;
  int16_t recommendation;
  int16_t own;
};
extern ReportTableOffsets ReportOffsets;

/// Chooses the language of every report table: Russian or English.
void SetReportLanguage(bool russian);

/// Label n of the current language.
const char* LabelText(int8_t n);

/// Pelcor's own text n (an error's number less kOwnErrorFirst, or one of the lines above)
/// in the current language.
const char* OwnText(int16_t n);

/// The action line: the current action's text expanded with the context's argument
/// list and cut to 124 characters, or the number format for an action of 18 or more.
/// Points into a static buffer that the next call overwrites.
const char* ActionText();

/// The system's text for the context's error number in the console code page: trimmed,
/// without a final full stop, first letter in lower case, at most 79 bytes. When the
/// system has no text for the number, the number format with the number instead. One
/// of Pelcor's own error numbers shows its own text as it stands.
/// Points into a static buffer that the next call overwrites.
const char* SystemErrorText();

/// The cause line and the recommendation line: the table entry, or the number format
/// with the number when it lies past the table's end (then in a static buffer).
const char* CauseText();
const char* RecommendationText();
