#include "errors/error_context.h"

#include "errors/prompt.h"
#include "errors/report_lines.h"
#include "errors/report_texts.h"
#include "platform/platform.h"

namespace {

// One line of the report: its label, then its text.
void WriteLine(const Console& console, int8_t label, const char* text) {
  WriteReportText(console, LabelText(console.language, label));
  WriteReportText(console, text);
  WriteReportLineEnd(console);
}

}  // namespace

AnswerCode ShowErrorReport(const Console& console, const ErrorReport& report) {
  const Language language = console.language;
  ReportLines lines;
  // The report starts on a line of its own; the key is awaited on the prompt's line.
  WriteReportLineEnd(console);
  WriteLine(console, kLabelAction, ActionText(language, report, &lines));
  WriteLine(console, kLabelError, SystemErrorText(language, report, &lines));
  WriteLine(console, kLabelCause, CauseText(language, report, &lines));
  WriteLine(console, kLabelRecommendation, RecommendationText(language, report, &lines));
  WriteReportText(console, LabelText(language, kLabelPrompt));
  return AskOperator(console.input);
}

uint32_t InOwnWords(uint32_t error) {
  if (error == kErrorDevice) return kErrorNameIsDevice;
  if (error == kErrorStream) return kErrorNameIsStream;
  return error;
}

AnswerCode ReportSystemError(const Console& console, uint16_t action, const FormatSlot* arguments,
                             uint32_t error) {
  return ShowErrorReport(console, SystemErrorReport(action, arguments, InOwnWords(error)));
}
