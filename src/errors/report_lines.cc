// The variable lines of the error report, built from the error context into static
// buffers that each report overwrites.
#include "codepage/char_services.h"
#include "errors/error_context.h"
#include "errors/report_texts.h"
#include "platform/platform.h"
#include "text/strings.h"

namespace {

char ActionBuffer[kActionTextSize];
char SystemErrorBuffer[kSystemErrorTextSize];
char OwnErrorBuffer[2 * kSystemErrorTextSize];
char CauseNumberBuffer[kNumberTextSize];
char RecommendationNumberBuffer[kNumberTextSize];

// Stands in for a missing argument list: every text empty, every number 0.
const FormatSlot kNoArguments[8] = {};

// The number format of the current language with value, into buffer; the result never
// passes the buffer, whatever the number.
const char* NumberText(char* buffer, uint32_t size, uint32_t value) {
  FormatSlot slot[1];
  slot[0].value = value;
  FormatMessageTextMax(buffer, size, LabelText(kLabelNumber), slot);
  return buffer;
}

// Pelcor's own text for its error number own. The text of binary data names what was
// found: the action's argument list holds it after the file's name.
const char* OwnErrorText(uint32_t own) {
  const char* text = OwnText(static_cast<int16_t>(own));
  if (own != kErrorNotText - kOwnErrorFirst || ErrorContext.arguments == nullptr) return text;
  FormatMessageTextMax(OwnErrorBuffer, sizeof OwnErrorBuffer, text, ErrorContext.arguments + 1);
  return OwnErrorBuffer;
}

}  // namespace

const char* ActionText() {
  const uint16_t action = ErrorContext.action;
  if (action >= kActionCount) return NumberText(ActionBuffer, sizeof ActionBuffer, action);
  const FormatSlot* arguments =
      ErrorContext.arguments != nullptr ? ErrorContext.arguments : kNoArguments;
  // Bounded by the buffer: a long file name is cut at 124 characters instead of running
  // over whatever lies behind the buffer.
  FormatMessageTextMax(ActionBuffer, sizeof ActionBuffer,
                       kActionTexts[action + ErrorContext.actionOffset], arguments);
  return ActionBuffer;
}

const char* SystemErrorText() {
  const PlatformError number = ErrorContext.errorNumber;
  if (number >= kOwnErrorFirst) {
    // No system knows these numbers: the text is Pelcor's own, already in the console's
    // code page.
    const uint32_t own = number - kOwnErrorFirst;
    if (own < kOwnErrorCount) return OwnErrorText(own);
    return NumberText(SystemErrorBuffer, sizeof SystemErrorBuffer, number);
  }
  // Whatever the system writes, the last byte ends it, and nothing of an earlier report
  // is left behind.
  for (char& byte : SystemErrorBuffer)
    byte = 0;
  if (!PlatformErrorText(number, SystemErrorBuffer, sizeof SystemErrorBuffer)) {
    // The system has no text for this number: the line shows the number itself.
    return NumberText(SystemErrorBuffer, sizeof SystemErrorBuffer, number);
  }
  SystemErrorBuffer[sizeof SystemErrorBuffer - 1] = 0;

  StrTrimBelow(SystemErrorBuffer, 32);
  StrStripLastChar(SystemErrorBuffer, '.');
  // Still in the ANSI code page here, which is the one the character services know.
  SystemErrorBuffer[0] =
      static_cast<char>(CharServices.toLower(static_cast<uint8_t>(SystemErrorBuffer[0])));
  PlatformToConsoleCodePage(SystemErrorBuffer, SystemErrorBuffer);
  return SystemErrorBuffer;
}

const char* CauseText() {
  const uint8_t cause = ErrorContext.cause;
  if (cause >= kCauseCount) return NumberText(CauseNumberBuffer, sizeof CauseNumberBuffer, cause);
  return kCauseTexts[cause + ErrorContext.causeOffset];
}

const char* RecommendationText() {
  const uint8_t recommendation = ErrorContext.recommendation;
  if (recommendation >= kRecommendationCount) {
    return NumberText(RecommendationNumberBuffer, sizeof RecommendationNumberBuffer,
                      recommendation);
  }
  return kRecommendationTexts[recommendation + ReportOffsets.recommendation];
}
