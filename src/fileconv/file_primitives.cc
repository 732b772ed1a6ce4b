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

uint64_t SeekFile(HANDLE file, uint64_t offset, DWORD method) {
  LONG high = static_cast<LONG>(offset >> 32);
  SetLastError(NO_ERROR);
  const DWORD low = SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, method);
  // A low part of all ones is also a valid position; only the last error tells.
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return kSeekFailed;
  return (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | low;
}

BOOL ReadFileBlock(HANDLE file, void* buffer, DWORD size, DWORD* count) {
  return ReadFile(file, buffer, size, count, nullptr);
}

BOOL WriteFileBlock(HANDLE file, const void* buffer, DWORD size) {
  DWORD written;  // not looked at: a write that succeeds has written everything
  return WriteFile(file, buffer, size, &written, nullptr);
}

BOOL CloseFile(HANDLE file) {
  return CloseHandle(file);
}
