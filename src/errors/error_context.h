// The error report shown: what the program was doing, what went wrong, and the
// operator's answer, which the report returns.
#pragma once

#include <stdint.h>

#include "errors/console_output.h"
#include "errors/report.h"

/// Prints the five-line report, asks the operator and returns the answer.
AnswerCode ShowErrorReport(const Console& console, const ErrorReport& report);

/// The error a report of the door's error shows: the door's refusals of a name that is
/// no regular file are told in Pelcor's own words, every other error as the system has it.
uint32_t InOwnWords(uint32_t error);

/// Reports a system error of the action, and returns the answer.
AnswerCode ReportSystemError(const Console& console, uint16_t action, const FormatSlot* arguments,
                             uint32_t error);
