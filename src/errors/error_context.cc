#include "errors/error_context.h"

#include "errors/console_output.h"
#include "errors/report_texts.h"
#include "platform/platform.h"

ErrorContextRecord ErrorContext;

namespace {

// The door's refusals of a name that is no regular file are told in Pelcor's own words.
uint32_t InOwnWords(PlatformError error) {
  if (error == kErrorDevice) return kErrorNameIsDevice;
  if (error == kErrorStream) return kErrorNameIsStream;
  return error;
}

}  // namespace

void SetErrorAction(uint16_t action, const FormatSlot* arguments) {
  ErrorContext.action = action;
  ErrorContext.arguments = arguments;
}

void ClearAnswer() {
  ErrorContext.answer = kAnswerNone;
}

void StoreErrorWord(uint32_t value) {
  ErrorContext.errorNumber = static_cast<uint16_t>(value & 0xFFFFu);
  ErrorContext.cause = static_cast<uint8_t>((value >> 16) & 0xFFu);
  ErrorContext.recommendation = static_cast<uint8_t>(value >> 24);
}

uint16_t ReportSystemError() {
  StoreErrorWord(InOwnWords(PlatformLastError()));
  ClearAnswer();  // a system error is always put to the operator
  return ShowErrorReport();
}

uint16_t ReportError(uint16_t code, uint8_t cause, uint8_t recommendation) {
  ErrorContext.errorNumber = code;
  ErrorContext.cause = cause;
  ErrorContext.recommendation = recommendation;
  return ShowErrorReport();
}

uint16_t ShowErrorReport() {
  if (ErrorContext.answer != kAnswerNone) return ErrorContext.answer;
  // The report starts on a line of its own; the key is awaited on the prompt's line.
  WriteReportLineEnd();
  WriteReportText(LabelText(kLabelAction));
  WriteReportText(ActionText());
  WriteReportLineEnd();
  WriteReportText(LabelText(kLabelError));
  WriteReportText(SystemErrorText());
  WriteReportLineEnd();
  WriteReportText(LabelText(kLabelCause));
  WriteReportText(CauseText());
  WriteReportLineEnd();
  WriteReportText(LabelText(kLabelRecommendation));
  WriteReportText(RecommendationText());
  WriteReportLineEnd();
  WriteReportText(LabelText(kLabelPrompt));
  return AskOperator();
}
