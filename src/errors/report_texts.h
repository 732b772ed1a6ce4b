// The texts of the error report and of Pelcor's own lines, each in Russian (cp866) and
// English.
#pragma once

#include <stdint.h>

#include "text/count_forms.h"
#include "text/language.h"

/// Entries in each table.
inline constexpr int16_t kLabelCount = 6;
inline constexpr int16_t kActionCount = 18;
inline constexpr int16_t kCauseCount = 14;
inline constexpr int16_t kRecommendationCount = 8;

/// Pelcor's own error numbers: the last 256 of a report's 16-bit numbers, above every
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
  kErrorNameIsDevice,  // the door's kErrorDevice and kErrorStream, in Pelcor's words
  kErrorNameIsStream,
  kErrorFileChanged,  // cut short by another program while it was converted
  kErrorNotText,      // its text names the byte and the offset that the report's arguments hold
  kErrorTextInLatin,
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
inline constexpr int16_t kOwnErrorCount = 13;
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
// A run interrupted once its last file was done: the name and the word fill its two %s.
inline constexpr int16_t kOwnTextInterruptedAtEnd = kOwnErrorCount + 11;
inline constexpr int16_t kOwnTextCount = kOwnErrorCount + 12;

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

/// The tables, each entry in both languages.
extern const TextPair kLabelTexts[kLabelCount];
extern const TextPair kActionTexts[kActionCount];
extern const TextPair kCauseTexts[kCauseCount];
extern const TextPair kRecommendationTexts[kRecommendationCount];
extern const TextPair kOwnTexts[kOwnTextCount];

/// The words of a count of bytes converted from the start of a file, with %s for the
/// number, in each form the count takes (CountFormOf): Russian 1 байт, 2 байта, 5 байт;
/// English 1 byte, 5 bytes.
extern const TextPair kConvertedCountTexts[kCountForms];

/// Label n in the language given.
const char* LabelText(Language language, int8_t n);

/// Pelcor's own text n (an error's number less kOwnErrorFirst, or one of the lines above)
/// in the language given.
const char* OwnText(Language language, int16_t n);

/// The words of a count of value bytes converted, in the language given.
const char* ConvertedCountText(Language language, uint64_t value);
