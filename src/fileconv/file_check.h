// What a file is, and what the conversion a command names would do with it: judged
// from its text, its size and its record, with nothing written.
#pragma once

#include <stdint.h>

#include "codepage/text_guess.h"
#include "fileconv/convert_file.h"
#include "fileconv/plan.h"
#include "platform/platform.h"

/// What a file is, as the first field of its line says.
enum FileKind : uint8_t {
  kKind866,
  kKind1251,
  kKindKoi8,
  kKindIso88595,
  kKindUtf8,
  kKindUtf16,
  kKindLatin,
  kKindBinary,
  kKindPart,
  kKindAscii,
  kKindEmpty,
  kKindUnknown,
};

/// What the conversion named would do with the file.
enum Outcome : uint8_t {
  kOutcomeNone = 0,   // none is named
  kOutcomeConverts,   // converts it whole
  kOutcomeRefuses,    // the guard refuses it
  kOutcomeNothing,    // leaves it: it is in the code page asked for, or has nothing to convert
  kOutcomeCannotTell  // --to leaves it: which code page it is in cannot be told
};

struct FileCheck {
  // The file could not be opened (kActionOpenFile) or read (kActionReadFile): nothing
  // below holds.
  uint16_t failedAction;
  PlatformError failure;
  FileKind kind;
  uint8_t language;  // of its letters, kLanguages where they do not tell it
  uint32_t letters;  // the most of either code page's reading
  // binary: its first byte that no text holds, and that byte's offset in the file
  uint8_t controlByte;
  uint64_t controlAt;
  bool byPelcor;  // 866 or 1251: a record says the program converted it so
  // part: the code pages of its beginning and its end; or, where a record says so
  // (recorded), the switch that converted how many bytes from the start.
  CodePageId beginningPage;
  CodePageId endPage;
  bool recorded;
  Direction recordedBy;
  uint64_t recordedAt;
  Outcome outcome;
};

/// Whether the command would leave the file where it asks: converted whole or nothing
/// to do by the conversion named, or, with none, in one of the two code pages.
bool CheckPasses(const FileCheck& check, const Plan& plan);

/// Judges the open file from its start, reading samples into buffer (kSpanSize bytes).
FileCheck CheckOpenFile(PlatformHandle file, const Plan& plan, uint8_t* buffer);

/// Opens the named file for reading only, judges it and closes it. A name that is not
/// kNameWhole opens nothing.
FileCheck CheckFile(PlatformName name, NameState state, const Plan& plan, uint8_t* buffer);

/// Judges what the stream holds, reading it to its end through buffer (kSpanSize bytes).
FileCheck CheckStream(PlatformHandle input, const Plan& plan, uint8_t* buffer);

/// Judges the count bytes in hand, the beginning of a stream, for --to; the rest of the
/// stream is not looked at.
FileCheck CheckBytes(const uint8_t* bytes, uint32_t count, const Plan& plan);
