// The guard before a file is converted: a text plainly not in the code page that the
// command line names, or converted in part, is refused with an ordinary report.
#pragma once

#include <stdint.h>

#include "codepage/byte_maps.h"
#include "codepage/text_guess.h"
#include "errors/console_output.h"
#include "platform/platform.h"
#include "text/formatter.h"

/// The bytes the guard reads at a time, into a buffer of the caller's.
inline constexpr uint32_t kGuardSampleSize = 64 * 1024;

/// The code page a direction converts from: the one its switch names.
inline CodePageId NamedCodePage(Direction direction) {
  return direction == kFrom866 ? kCodePage866 : kCodePage1251;
}

/// The direction that converts from the code page.
inline Direction DirectionFrom(CodePageId page) {
  return page == kCodePage866 ? kFrom866 : kFrom1251;
}

/// A refusal: Pelcor's own error, or 0 when the text may be converted; for binary data,
/// the first byte that no text holds and its offset in the file.
struct Refusal {
  uint16_t error;
  uint8_t byte;
  uint64_t offset;
};

/// What the guard finds in a text, judged for a conversion from the named code page.
struct TextFinding {
  Refusal refusal;      // refusal.error is 0 where the text may be converted
  TextVerdict verdict;  // of its beginning, for the named code page
  // The same bytes judged for each code page as the named one, and the language their
  // letters tell there (kLanguages for none), by CodePageId; the most letters either
  // reading holds.
  TextVerdict asPage[2];
  uint8_t language[2];
  uint32_t letters;
  // Converted in part: its beginning in one code page, its end in the other.
  bool partly;
  CodePageId beginningPage;
  CodePageId endPage;
};

/// What the guard finds in the text of the open file from offset from on, as
/// CodePageAgrees judges it, without a word to the user.
TextFinding FindInFile(PlatformHandle file, uint64_t from, CodePageId named, uint8_t* sample);

/// The same for the count bytes in hand, the beginning of a stream, as BytesAgree judges it.
TextFinding FindInBytes(const uint8_t* bytes, uint32_t count, CodePageId named);

/// Judges whether the text of the open file from offset from on is in the code page the
/// direction converts from. It reads the beginning into sample (kGuardSampleSize
/// bytes at a time, more while the text is undecided, 1 MiB at most) and, when the file
/// goes on past that, its last kGuardSampleSize bytes; the first piece that decides and
/// the last piece are judged apart, a KiB or more each. Text that reads as Cyrillic in
/// another encoding and not in that code page, UTF-8 of any script, UTF-16 with Cyrillic
/// letters or its mark, a Latin code page, binary data (named by its first byte that no
/// text holds and its offset), and a file whose first and last pieces are in the two code
/// pages (converted in part) are reported on the console (action "read from file" with the
/// name in arguments) and the answer obeyed: Repeat judges the file again, Ignore lets the
/// conversion go on, Abort does not.
/// Returns whether the conversion may go on. Nothing is written; a read that fails leaves
/// the text undecided, for the conversion to meet.
bool CodePageAgrees(const Console& console, Direction direction, PlatformHandle file, uint64_t from,
                    const FormatSlot* arguments, uint8_t* sample);

/// Judges the count bytes in hand, the beginning of a stream, as CodePageAgrees judges the
/// beginning of a file, with the same report and answers.
bool BytesAgree(const Console& console, Direction direction, const uint8_t* bytes, uint32_t count,
                const FormatSlot* arguments);
