// Thin wrappers over the system's file calls, each giving back what the system gives.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

/// Opens an existing file for reading and writing, shared with readers only. The name is
/// in code page 1251; it is widened to UTF-16 in a buffer that lives only for the open.
/// Returns the handle or INVALID_HANDLE_VALUE (the reason in GetLastError).
HANDLE OpenFileForUpdate(const char* name);

/// Reads up to size bytes at offset, which the call carries in full 64 bits: the file
/// position left by earlier calls plays no part. count receives the bytes read, 0 at or
/// past the end of the file. Nonzero on success.
BOOL ReadFileBlock(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD* count);

/// Writes size bytes at offset, carried like ReadFileBlock's. Nonzero on success.
BOOL WriteFileBlock(HANDLE file, uint64_t offset, const void* buffer, DWORD size);

/// Closes the handle. Nonzero on success.
BOOL CloseFile(HANDLE file);
