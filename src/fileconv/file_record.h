// The record a run leaves on each file it changed, so that the same command run again
// knows where the file stands: in which code page it is now, once converted whole, or
// which switch converted how many bytes from its start, when it was left part-way. With
// them the file's size and time of last change as they were once the record was written,
// and the hash (content_hash.h) of every byte the record vouches for. It is kept in the
// file's note (platform.h), never in its data.
//
// The note is one line of text, version first:
//   v1 whole 1251 81920 81920 1765267200123456789 0f1e2d3c4b5a6978
//   v1 part /866 5120 81920 1765267200123456789 8a7b6c5d4e3f2011
// "whole 1251": the file is in code page 1251 now; "part /866": the switch /866 converted
// the first 5120 bytes; then the bytes vouched for, the size, the time in the system's
// unit, and the hash in hexadecimal.
#pragma once

#include <stdint.h>

#include "codepage/text_guess.h"
#include "platform/platform.h"

/// What a record says of its file.
enum RecordKind : uint8_t { kRecordNone = 0, kRecordWhole, kRecordPart };

struct FileRecord {
  RecordKind kind;
  CodePageId page;     // whole: the code page the file is in now; part: the one its switch
                       // converts from
  uint64_t converted;  // the bytes from the start it vouches for; whole: the file's size
  uint64_t hash;       // the chain over those bytes
};

/// The file's record, when it has one and its size and time of last change are still the
/// ones recorded; kRecordNone otherwise. Its bytes are not checked yet: see RecordHolds.
FileRecord ReadRecord(PlatformHandle file);

/// The hash of the file's first count bytes into *hash: one read of them, in pieces of
/// size bytes (a multiple of kHashBlockSize) through buffer. False when they cannot all
/// be read.
bool HashFileStart(PlatformHandle file, uint64_t count, uint8_t* buffer, uint32_t size,
                   uint64_t* hash);

/// Whether the bytes the record vouches for still hash as recorded, read as
/// HashFileStart reads them. A record whose bytes changed since (a backup copied back
/// within the same tick of the clock) is never to be trusted.
bool RecordHolds(PlatformHandle file, FileRecord record, uint8_t* buffer, uint32_t size);

/// Writes the record, with the file's size and time as they are once it is written. False
/// where no record can be kept; none is left then.
bool WriteRecord(PlatformHandle file, FileRecord record);
