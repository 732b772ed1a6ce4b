// The record an interrupted conversion leaves on its file, so that the same command run
// again finishes the work: which switch converted how many bytes from the start, and the
// file's size and time of last change as they were once the record was written. It is
// kept in the file's note (platform.h), never in its data.
#pragma once

#include <stdint.h>

#include "codepage/byte_maps.h"
#include "platform/platform.h"

/// The offset at which a conversion in the direction may go on: the record's, when the
/// file holds one of this direction and its size and time are still those recorded;
/// otherwise 0.
uint64_t RecordedOffset(Direction direction, PlatformHandle file);

/// Records that converted bytes from the start of the file are converted in the
/// direction. False where no record can be kept; none is left then.
bool RecordInterruption(Direction direction, PlatformHandle file, uint64_t converted);
