// The conversion of a run: of one file in place, or of a stream, through the byte map
// of the run's direction.
#pragma once

#include <stdint.h>

#include "codepage/byte_maps.h"
#include "codepage/text_guess.h"
#include "errors/console_output.h"
#include "errors/report_texts.h"
#include "fileconv/progress.h"
#include "fileconv/standing.h"
#include "platform/platform.h"
#include "text/formatter.h"

/// The size of a block: the unit of every report, answer and conversion call.
inline constexpr uint32_t kBlockSize = 1024;

/// The most blocks one read or write carries: the file moves in spans of this many
/// blocks, and block by block wherever a span does not go through whole.
inline constexpr uint32_t kSpanBlocks = 256;

/// Whether a file name is all there is of it, only its beginning, or a name with
/// wildcards that matches no file.
enum NameState { kNameWhole = 0, kNameCut, kNameUnmatched };

/// The error that opening a name that is not kNameWhole meets: the system's "file name
/// too long" or "no such file". Nothing is opened.
inline PlatformError NameError(NameState state) {
  return state == kNameCut ? kErrorNameTooLong : kErrorNoMatch;
}

/// The bytes a span asks for.
inline constexpr uint32_t kSpanSize = kSpanBlocks * kBlockSize;

/// What a run's conversion holds: its direction and console, the one span buffer of the
/// run, what the run knows of the files it handled, and the counts of the file or stream
/// in hand.
struct Converter {
  Direction direction;
  Console console;
  // --to: each file is converted to the target code page where it is in the other one,
  // and left as it is where it is in the target already, has nothing to convert or
  // cannot be told; the direction is chosen file by file.
  bool toPage;
  CodePageId target;
  // The one buffer of the conversion, kSpanSize bytes taken once for the run, reused for
  // every span and every block, and first for the guard's samples: the memory used is
  // the same whatever the size of the file.
  uint8_t* span;
  // The files the run handled, taken with the span buffer, and what it left on them.
  RunSoFar run;
  // Whether the bytes read of each block of the span changed in their conversion: a
  // block whose bytes stay as they were is not written back. With them the hash of
  // each block's bytes read, once converted.
  bool blockChanged[kSpanBlocks];
  uint64_t blockHashes[kSpanBlocks];
  // Whether every guarded call of the file succeeded at last. A failure answered Ignore
  // leaves part of the file unconverted although the run goes on.
  bool allDone;
  bool aborted;     // an answer was Abort
  bool reachedEnd;  // the conversion got to the end of the file
  // Whether bytes past those converted from the start may be converted too: after a
  // failure answered Ignore, or a write that moved part of its block before an Abort. No
  // record can say then which bytes are converted.
  bool gap;
  // The bytes from the start of the file that are converted: every block up to here was
  // written whole. With them the chain of their hashes, and whether any block of the file
  // was written, in this run or in the one it goes on from.
  uint64_t convertedFromStart;
  uint64_t convertedHash;
  bool anyWritten;
  // The file's size when its conversion began: a file found shorter than that was cut
  // by another program meanwhile.
  uint64_t sizeAtStart;
  // The name as the reports show it, in the console's code page, and the argument list
  // of their action texts, which shows it.
  char shown[kActionTextSize];
  FormatSlot name[1];
  // How far the conversion in hand has got, on the terminal where the reports go.
  ProgressLine progress;
};

/// Makes the converter of a run: the direction, the console its reports go to, and its
/// span buffer and table of the files handled, taken here. False when the memory cannot
/// be had.
bool StartConverter(Converter* converter, Direction direction, const Console& console);

/// Gives the span buffer and the table back.
void EndConverter(Converter* converter);

/// Converts the named file in place, without a temporary file;
/// its length never changes. Every failed open, read or write is reported, block by
/// block, and the operator's answer obeyed: Repeat tries the call again, Ignore goes on
/// as if it had succeeded, Abort stops, leaving the blocks written so far converted.
/// The reports show the name as the door renders it. A name that is kNameCut opens
/// nothing: its open fails with the system's "file name too long". Before the first
/// write the text is judged (CodePageAgrees): a refusal is reported the same way, and its
/// Abort is an Abort like any other. Blocks whose bytes do not change are not written.
///
/// Where the file stands is recorded on it (file_record.h): once converted whole, the code
/// page it is in now; stopped part-way by an Abort or a request to end the process, how
/// far it got, with a line on standard error. A file whose trusted record says it is in
/// the code page this switch converts to already is left as it is, with a line; one
/// stopped part-way by this switch goes on from there. A file the run handled already
/// under another name is left as it is, with a line. A file cut short by another program
/// meanwhile stops with a report. A request to end the process held before the file is
/// touched, or between its spans, ends the process, the file closed and recorded, with a
/// line; held as its last span is done, it waits for the next boundary.
/// Returns true when the file was converted whole, or left as it is: false after an
/// Abort, a failure answered Ignore or a failed close. With toPage, a file that is left
/// is said so on standard error, and counts as whole where it is in the target code page.
bool ConvertFileInPlace(Converter* converter, PlatformName name, NameState state = kNameWhole);

/// Ends the process as a request to end it held at the end of the run would have, with a
/// line that says so, once every file named is done; returns where none is held.
void EndRunIfInterrupted(const Converter* converter);

/// Converts what comes from the input stream and writes it to the output stream, span by
/// span, as a filter does. The guard judges what the first span holds before anything is
/// written; failures are reported under shownName (code page 866) and answered as for a
/// file, Repeat of a write going on after the bytes that went out. A stream closed when
/// the program started (kNoHandle) is said to be and nothing is converted. Returns true
/// when everything read was converted and written. With toPage, a stream that is left is
/// said so and goes through as it is.
bool ConvertStream(Converter* converter, PlatformHandle input, PlatformHandle output,
                   const char* shownName);
