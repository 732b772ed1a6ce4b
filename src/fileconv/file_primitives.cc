#include "fileconv/file_primitives.h"

#include "text/strings.h"

HANDLE OpenFileForUpdate(const char* name) {
  const uint32_t length = StrLength(name);
  // One UTF-16 unit per byte of a single-byte code page, and the terminator.
  WCHAR* wide = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, (length + 1) * sizeof(WCHAR)));
  if (wide == nullptr) return INVALID_HANDLE_VALUE;
  // A name that did not widen is not opened: what the buffer holds would name no file.
  HANDLE file = INVALID_HANDLE_VALUE;
  if (MultiByteToWideChar(CP_ACP, 0, name, static_cast<int>(length + 1), wide,
                          static_cast<int>(length + 1)) != 0) {
    file = CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  const DWORD error = GetLastError();
  LocalFree(wide);
  SetLastError(error);  // the reason, whatever freeing did
  return file;
}

namespace {

// The offset of one transfer on a handle opened for synchronous use: the system moves
// to it and transfers in the one call, which returns when the transfer is done. Offsets
// within a file stay below 2^63, clear of the values that mean "at the end of the file"
// and "at the file position".
OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace

BOOL ReadFileBlock(HANDLE file, uint64_t offset, void* buffer, DWORD size, DWORD* count) {
  OVERLAPPED at = At(offset);
  *count = 0;
  if (ReadFile(file, buffer, size, count, &at)) return TRUE;
  // Where a read at the file position finds the end and delivers nothing, one that names
  // its offset fails with this error instead.
  if (GetLastError() == ERROR_HANDLE_EOF) {
    *count = 0;
    return TRUE;
  }
  return FALSE;
}

BOOL WriteFileBlock(HANDLE file, uint64_t offset, const void* buffer, DWORD size) {
  OVERLAPPED at = At(offset);
  DWORD written;  // not looked at: a write that succeeds has written everything
  return WriteFile(file, buffer, size, &written, &at);
}

BOOL CloseFile(HANDLE file) {
  return CloseHandle(file);
}
