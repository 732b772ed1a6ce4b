// The error context: what the program is doing, what went wrong, and what the operator
// answered. One process-wide record, zero at start.
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

struct ErrorContextRecord {
  // These three make one 32-bit word, low half first: the recorded system error value.
  uint16_t errorNumber;
  uint8_t cause;
  uint8_t recommendation;
  uint16_t answer;              // an AnswerCode
  uint16_t action;              // an ActionCode
  const FormatSlot* arguments;  // the caller's list, kept alive by the caller
  int16_t causeOffset;          // language offset of the cause table
  int16_t actionOffset;         // language offset of the action table
};
extern ErrorContextRecord ErrorContext;

/// Records the action about to be attempted and the argument list of its text.
void SetErrorAction(uint16_t action, const FormatSlot* arguments);

/// Forgets the last answer.
void ClearAnswer();

/// Stores a 32-bit error value as error number (bits 0-15), cause (16-23) and
/// recommendation (24-31).
void StoreErrorWord(uint32_t value);

/// Records the last system error, clears the answer, shows the report and returns the answer.
uint16_t ReportSystemError();

/// Records the given error, cause and recommendation and shows the report, unless an
/// answer is already recorded. Returns the answer.
uint16_t ReportError(uint16_t code, uint8_t cause, uint8_t recommendation);

/// With an answer recorded, returns it and prints nothing. Otherwise prints the
/// five-line report, asks the operator and returns the answer.
uint16_t ShowErrorReport();

/// Waits for one of the twelve answer keys and records its AnswerCode. When no further
/// key can come, the answer is Abort.
uint16_t AskOperator();
