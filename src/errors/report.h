// What an error report says: the action attempted, the error, and the operator's answer.
#pragma once

#include <stdint.h>

#include "text/formatter.h"

/// Operations whose failure can be reported; the program itself sets only open, write
/// and read. Each selects its line in the action table.
enum ActionCode : uint16_t {
  kActionCreateFile = 0,
  kActionOpenFile = 2,
  kActionWriteFile = 3,
  kActionReadFile = 4,
};

/// The operator's answer to a report.
enum AnswerCode : uint16_t {
  kAnswerNone = 0,
  kAnswerIgnore = 4,
  kAnswerRepeat = 5,
  kAnswerAbort = 6,
};

/// One report: the action attempted with the argument list of its text, and the error
/// with its cause and recommendation.
struct ErrorReport {
  uint16_t action;              // an ActionCode
  const FormatSlot* arguments;  // the caller's list, or nullptr: empty places
  uint16_t errorNumber;
  uint8_t cause;
  uint8_t recommendation;
};

/// The report of a system error value: its error number (bits 0-15), cause (16-23) and
/// recommendation (24-31).
inline ErrorReport SystemErrorReport(uint16_t action, const FormatSlot* arguments, uint32_t error) {
  return {action, arguments, static_cast<uint16_t>(error & 0xFFFFu),
          static_cast<uint8_t>((error >> 16) & 0xFFu), static_cast<uint8_t>(error >> 24)};
}
