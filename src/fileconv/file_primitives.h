// The file primitives of the converter: each gives back what the system gives.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

/// Opens an existing file, named in code page 1251, for reading and writing, shared with
/// readers only. Returns the handle or kNoHandle (the reason in the last error).
inline PlatformHandle OpenFileForUpdate(const char* name) {
  return PlatformOpenForUpdate(name);
}

/// Reads up to size bytes at offset, which the call carries in full 64 bits: no file
/// position plays a part. count receives the bytes read, 0 at or past the end of the file
/// and after a failure. True on success.
inline bool ReadFileBlock(PlatformHandle file, uint64_t offset, void* buffer, uint32_t size,
                          uint32_t* count) {
  return PlatformReadAt(file, offset, buffer, size, count);
}

/// Writes size bytes at offset, carried like ReadFileBlock's. True on success.
inline bool WriteFileBlock(PlatformHandle file, uint64_t offset, const void* buffer,
                           uint32_t size) {
  uint32_t written;  // not looked at: a write that succeeds has written everything
  return PlatformWriteAt(file, offset, buffer, size, &written);
}

/// Writes size bytes at offset as WriteFileBlock does; written receives the bytes moved,
/// also after a failure. True on success.
inline bool WriteFileSpan(PlatformHandle file, uint64_t offset, const void* buffer, uint32_t size,
                          uint32_t* written) {
  return PlatformWriteAt(file, offset, buffer, size, written);
}

/// Closes the handle. True on success.
inline bool CloseFile(PlatformHandle file) {
  return PlatformClose(file);
}
