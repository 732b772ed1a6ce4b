// Where each file of a run stands once the run has handled it: the record it keeps
// (file_record.h), the line that says where it stopped when it stopped part-way, and the
// files handled so far, so that none is converted twice.
#pragma once

#include <stdint.h>

#include "codepage/byte_maps.h"
#include "codepage/text_guess.h"
#include "errors/console_output.h"
#include "fileconv/file_record.h"
#include "fileconv/same_file.h"
#include "platform/platform.h"

/// What a run knows, name by name, of the files it handled before.
struct RunSoFar {
  SeenFiles* seen;        // the files handled so far; nullptr: none is looked for
  bool afterOthers;       // names came before the one in hand
  bool othersUnrecorded;  // one of them changed and keeps no record: run again whole, the
                          // command would convert it a second time
};

/// How a file was left, for its record and its line.
struct FileEnd {
  uint64_t converted;  // the bytes from the start converted, each block whole
  uint64_t hash;       // the chain over them
  bool whole;          // converted to its end
  bool changed;        // a byte changed, in this run or in the one it went on from
  bool gap;            // a failure answered Ignore, or a write that moved part of its
                       // block before an Abort: bytes past the converted ones are
                       // converted too, and no record can tell which
};

/// Whether the open file is one the run handled already under another name: then says
/// which, and the file is to be left as it is. Otherwise notes it as handled.
bool HandledAlready(const Console& console, PlatformHandle file, PlatformName name,
                    const char* shown, RunSoFar* run);

/// The file's record where it decides what a conversion from code page named does, and
/// its bytes are still the ones it vouches for: whole in the other code page (nothing to
/// do), or part-way by this same switch (go on from there). kRecordNone otherwise. Reads
/// what the record vouches for through buffer (size bytes).
FileRecord RecordToFollow(PlatformHandle file, CodePageId named, uint8_t* buffer, uint32_t size);

/// Says that the file is converted already, in which code page it is now and which switch
/// converts it back.
void SayConvertedAlready(const Console& console, const char* shown, CodePageId page);

/// How the file stands now, where another program cut it short of the bytes converted:
/// converted as far as it goes, their hash read again through buffer (size bytes).
FileEnd AsTheFileNowGoes(PlatformHandle file, FileEnd end, uint8_t* buffer, uint32_t size);

/// Leaves on the file the record of how a conversion from code page named left it; where
/// no byte changed, the file keeps what it has. Returns whether the same command would
/// find the file as it stands: recorded, or unchanged.
bool LeaveRecord(PlatformHandle file, CodePageId named, FileEnd end);

/// Says that the conversion of the file goes on at byte from, where a run stopped.
void SayResuming(const Console& console, const char* shown, uint64_t from);

/// Says how far the conversion of a file that stopped part-way got; word is
/// kOwnTextInterrupted or kOwnTextStopped. Where the file is recorded, the line says what
/// finishes it: the same command, or that command without the names before it.
void SayStopped(const Console& console, const char* shown, int16_t word, uint64_t converted,
                bool recorded, RunSoFar run);

/// Says that a request to end the process came once the last file named, shown, was
/// done: the run is over, every file named done.
void SayInterruptedAtEnd(const Console& console, const char* shown);

/// Says that standard input (input) or standard output was closed when the program
/// started, so that the filter has nothing to convert or nowhere to put it.
void SayStreamClosed(const Console& console, bool input);
