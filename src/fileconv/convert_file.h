// The conversion through the byte map in force: of one file in place, or of a stream.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

/// The size of a block: the unit of every report, answer and conversion call.
inline constexpr uint32_t kBlockSize = 1024;

/// The most blocks one read or write carries: the file moves in spans of this many
/// blocks, and block by block wherever a span does not go through whole.
inline constexpr uint32_t kSpanBlocks = 256;

/// Whether a file name is all there is of it, or only its beginning.
enum NameState { kNameWhole = 0, kNameCut };

/// Whether the run named other files before this one. Run again whole, the command would
/// convert those a second time, and the guard cannot tell every converted text (a short
/// one above all): the line of an interrupted run then says to leave them out.
enum NamePlace { kNamedFirst = 0, kNamedAfterOthers };

/// Converts the named file in place, without a temporary file;
/// its length never changes. Every failed open, read or write is reported, block by
/// block, and the operator's answer obeyed: Repeat tries the call again, Ignore goes on
/// as if it had succeeded, Abort stops, leaving the blocks written so far converted.
/// The reports show the name as the door renders it. A name that is kNameCut opens
/// nothing: its open fails with the system's "file name too long". Before the first
/// write the text is judged (CodePageAgrees): a refusal is reported the same way, and its
/// Abort is an Abort like any other. A request to end the process during the conversion
/// ends it here, once the span in hand is written and the file closed, with a line on
/// standard error; the run is recorded on the file (resume_record.h) and a run of the same
/// direction goes on from there. Blocks whose bytes do not change are not written.
/// Returns true when the file was converted whole: false after an Abort, a failure
/// answered Ignore or a failed close.
bool ConvertFileInPlace(PlatformName name, NameState state = kNameWhole,
                        NamePlace place = kNamedFirst);

/// Converts what comes from the input stream and writes it to the output stream, span by
/// span, as a filter does. The guard judges what the first span holds before anything is
/// written; failures are reported under shownName (code page 866) and answered as for a
/// file, Repeat of a write going on after the bytes that went out. Returns true when
/// everything read was converted and written.
bool ConvertStream(PlatformHandle input, PlatformHandle output, const char* shownName);
