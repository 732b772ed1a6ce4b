// The record an interrupted conversion leaves on its file, so that the same command run
// again finishes the work: which switch converted how many bytes from the start, and the
// file's size and time of last change as they were once the record was written. It is
// kept in the file's note (platform.h), never in its data.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

/// The offset at which a conversion through the byte map in force may go on: the
/// record's, when the file holds one of this direction and its size and time are still
/// those recorded; otherwise 0.
uint64_t RecordedOffset(PlatformHandle file);

/// Records that converted bytes from the start of the file are converted through the byte
/// map in force. False where no record can be kept; none is left then.
bool RecordInterruption(PlatformHandle file, uint64_t converted);
