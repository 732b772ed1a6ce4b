// The variable lines of the error report, built from the report into buffers of the
// caller's.
#pragma once

#include "errors/report.h"
#include "errors/report_texts.h"
#include "text/language.h"

/// The buffers of the lines that are not table entries as they stand.
struct ReportLines {
  char action[kActionTextSize];
  char error[kSystemErrorTextSize];
  char cause[kNumberTextSize];
  char recommendation[kNumberTextSize];
};

/// The action line: the action's text expanded with the report's argument list and cut
/// to 124 characters, or the number format for an action of 18 or more.
const char* ActionText(Language language, const ErrorReport& report, ReportLines* lines);

/// The system's text for the report's error number: trimmed, without a final full stop,
/// first letter in lower case, at most 79 bytes of code page 866. When the system has no
/// text for the number, the number format with the number instead. One of Pelcor's own
/// error numbers shows its own text as it stands.
const char* SystemErrorText(Language language, const ErrorReport& report, ReportLines* lines);

/// The cause line and the recommendation line: the table entry, or the number format
/// with the number when it lies past the table's end.
const char* CauseText(Language language, const ErrorReport& report, ReportLines* lines);
const char* RecommendationText(Language language, const ErrorReport& report, ReportLines* lines);
