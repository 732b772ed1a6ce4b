// The guard before a file is converted: a text plainly not in the code page that the
// command line names is refused with an ordinary report.
#pragma once

#include <stdint.h>

#include "platform/platform.h"
#include "text/formatter.h"

/// The bytes the guard reads at a time, into a buffer of the caller's.
inline constexpr uint32_t kGuardSampleSize = 64 * 1024;

/// Reads the beginning of the open file into sample (kGuardSampleSize bytes at a time,
/// more while the text is undecided, 1 MiB at most) and judges whether it is in the code
/// page the byte map in force converts from. Text that reads as Russian in the other code
/// page and not in that one, or is UTF-8 with Cyrillic letters, is reported (action "read
/// from file" with the name in arguments) and the answer obeyed: Repeat judges the file
/// again, Ignore lets the conversion go on, Abort does not. Returns whether the conversion
/// may go on. Nothing is written; a read that fails leaves the text undecided, for the
/// conversion to meet.
bool CodePageAgrees(PlatformHandle file, const FormatSlot* arguments, uint8_t* sample);

/// Judges the count bytes in hand, the beginning of a stream, as CodePageAgrees judges a
/// file, with the same report and answers.
bool BytesAgree(const uint8_t* bytes, uint32_t count, const FormatSlot* arguments);
