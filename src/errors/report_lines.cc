#include "errors/report_lines.h"

#include "codepage/char_services.h"
#include "platform/platform.h"
#include "text/strings.h"

namespace {

// Stands in for a missing argument list: every text empty, every number 0.
const FormatSlot kNoArguments[8] = {};

// The number format of the language with value, into buffer; the result never passes
// the buffer, whatever the number.
const char* NumberText(Language language, char* buffer, uint32_t size, uint32_t value) {
  FormatSlot slot[1];
  slot[0].value = value;
  FormatMessageTextMax(buffer, size, LabelText(language, kLabelNumber), slot);
  return buffer;
}

}  // namespace

const char* ActionText(Language language, const ErrorReport& report, ReportLines* lines) {
  char* const buffer = lines->action;
  if (report.action >= kActionCount)
    return NumberText(language, buffer, sizeof lines->action, report.action);
  const FormatSlot* arguments = report.arguments != nullptr ? report.arguments : kNoArguments;
  // Bounded by the buffer: a long file name is cut at 124 characters instead of running
  // over whatever lies behind the buffer.
  FormatMessageTextMax(buffer, sizeof lines->action, Pick(language, kActionTexts[report.action]),
                       arguments);
  return buffer;
}

const char* SystemErrorText(Language language, const ErrorReport& report, ReportLines* lines) {
  char* const buffer = lines->error;
  const uint32_t size = sizeof lines->error;
  const PlatformError number = report.errorNumber;
  // No system knows Pelcor's own numbers: the text is its own.
  if (number >= kOwnErrorFirst && number - kOwnErrorFirst < kOwnErrorCount)
    return OwnText(language, static_cast<int16_t>(number - kOwnErrorFirst));
  // Whatever the system writes, the last byte ends it, and nothing of an earlier report
  // is left behind.
  for (uint32_t i = 0; i < size; ++i)
    buffer[i] = 0;
  // The system has no text for this number: the line shows the number itself.
  if (number >= kOwnErrorFirst || !PlatformErrorText(number, buffer, size))
    return NumberText(language, buffer, size, number);
  buffer[size - 1] = 0;
  StrTrimBelow(buffer, 32);
  StrStripLastChar(buffer, '.');
  buffer[0] = static_cast<char>(Cp866ToLower(static_cast<uint8_t>(buffer[0])));
  return buffer;
}

const char* CauseText(Language language, const ErrorReport& report, ReportLines* lines) {
  if (report.cause >= kCauseCount)
    return NumberText(language, lines->cause, sizeof lines->cause, report.cause);
  return Pick(language, kCauseTexts[report.cause]);
}

const char* RecommendationText(Language language, const ErrorReport& report, ReportLines* lines) {
  if (report.recommendation >= kRecommendationCount) {
    return NumberText(language, lines->recommendation, sizeof lines->recommendation,
                      report.recommendation);
  }
  return Pick(language, kRecommendationTexts[report.recommendation]);
}
