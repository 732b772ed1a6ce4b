// Thin wrappers over the system's file calls, each giving back what the system gives.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

/// SeekFile's result when the system refused the move.
inline constexpr uint64_t kSeekFailed = UINT64_MAX;

/// Opens an existing file for reading and writing, shared with readers only. The name is
/// in code page 1251; it is widened to UTF-16 in a buffer that lives only for the open.
/// Returns the handle or INVALID_HANDLE_VALUE (the reason in GetLastError).
HANDLE OpenFileForUpdate(const char* name);

/// Moves the file position to offset, counted as method says (0: from the start); the
/// full 64 bits reach the system. Returns the new position or kSeekFailed.
uint64_t SeekFile(HANDLE file, uint64_t offset, DWORD method);

/// Reads up to size bytes; count receives the bytes read. Nonzero on success.
BOOL ReadFileBlock(HANDLE file, void* buffer, DWORD size, DWORD* count);

/// Writes size bytes. Nonzero on success.
BOOL WriteFileBlock(HANDLE file, const void* buffer, DWORD size);

/// Closes the handle. Nonzero on success.
BOOL CloseFile(HANDLE file);
