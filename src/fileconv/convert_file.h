// The conversion through the byte map in force: of one file in place, or of a stream.
#pragma once

#include <stdint.h>

#include "fileconv/standing.h"
#include "platform/platform.h"

/// The size of a block: the unit of every report, answer and conversion call.
inline constexpr uint32_t kBlockSize = 1024;

/// The most blocks one read or write carries: the file moves in spans of this many
/// blocks, and block by block wherever a span does not go through whole.
inline constexpr uint32_t kSpanBlocks = 256;

/// Whether a file name is all there is of it, or only its beginning.
enum NameState { kNameWhole = 0, kNameCut };

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
/// stopped part-way by this switch goes on from there. A file that run handled already
/// under another name is left as it is, with a line. A file cut short by another program
/// meanwhile stops with a report. A request to end the process held before the file is
/// touched, or between its spans, ends the process, the file closed and recorded, with a
/// line; held as its last span is done, it waits for the next boundary.
/// Returns true when the file was converted whole, or left as it is: false after an
/// Abort, a failure answered Ignore or a failed close.
bool ConvertFileInPlace(PlatformName name, NameState state, RunSoFar* run);

/// Converts what comes from the input stream and writes it to the output stream, span by
/// span, as a filter does. The guard judges what the first span holds before anything is
/// written; failures are reported under shownName (code page 866) and answered as for a
/// file, Repeat of a write going on after the bytes that went out. A stream closed when
/// the program started (kNoHandle) is said to be and nothing is converted. Returns true
/// when everything read was converted and written.
bool ConvertStream(PlatformHandle input, PlatformHandle output, const char* shownName);
