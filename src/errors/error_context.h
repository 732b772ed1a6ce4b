// The error report shown: what the program was doing, what went wrong, and the
// operator's answer, which the report returns.
#pragma once

#include <stdint.h>

#include "errors/console_output.h"
#include "errors/report.h"

/// Prints the five-line report, asks the operator and returns the answer.
AnswerCode ShowErrorReport(const Console& console, const ErrorReport& report);

/// Reports a system error of the action, and returns the answer.
AnswerCode ReportSystemError(const Console& console, uint16_t action, const FormatSlot* arguments,
                             uint32_t error);
