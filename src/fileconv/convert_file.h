// In-place conversion of one file through the byte map in force.
#pragma once

#include <stdint.h>

/// The size of every read and of every conversion call.
inline constexpr uint32_t kBlockSize = 1024;

/// Converts the named file (code page 1251 bytes) in place, block by block, without a
/// temporary file; its length never changes. Every failed open, read or write is
/// reported and the operator's answer obeyed: Repeat tries the call again, Ignore goes
/// on as if it had succeeded, Abort stops, leaving the blocks written so far converted.
void ConvertFileInPlace(const char* name);
