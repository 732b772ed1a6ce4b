// Files on Windows: opened by their wide name, each transfer at the offset its OVERLAPPED
// carries on a handle opened for synchronous use.
#include "platform/win32/win32.h"

namespace {

// Offsets within a file stay below 2^63, clear of the values that mean "at the end of
// the file" and "at the file position".
OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace

PlatformHandle PlatformOpenForUpdate(const char* name) {
  int length = 0;
  while (name[length] != 0)
    ++length;
  // One UTF-16 unit per byte of a single-byte code page, and the terminator.
  WCHAR* wide = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, (length + 1) * sizeof(WCHAR)));
  if (wide == nullptr) return kNoHandle;
  // A name that did not widen is not opened: what the buffer holds would name no file.
  HANDLE file = INVALID_HANDLE_VALUE;
  if (MultiByteToWideChar(CP_ACP, 0, name, length + 1, wide, length + 1) != 0) {
    file = CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  const DWORD error = GetLastError();
  LocalFree(wide);
  SetLastError(error);  // the reason, whatever freeing did
  return DoorHandle(file);
}

bool PlatformReadAt(PlatformHandle file, uint64_t offset, void* buffer, uint32_t size,
                    uint32_t* read) {
  OVERLAPPED at = At(offset);
  DWORD count = 0;
  const BOOL ok = ReadFile(SystemHandle(file), buffer, size, &count, &at);
  *read = ok ? count : 0;
  if (ok) return true;
  // Where a read at the file position finds the end and delivers nothing, one that names
  // its offset fails with this error instead.
  return GetLastError() == ERROR_HANDLE_EOF;
}

bool PlatformWriteAt(PlatformHandle file, uint64_t offset, const void* buffer, uint32_t size,
                     uint32_t* written) {
  OVERLAPPED at = At(offset);
  DWORD count = 0;
  const BOOL ok = WriteFile(SystemHandle(file), buffer, size, &count, &at);
  *written = count;
  return ok != 0;
}

bool PlatformClose(PlatformHandle file) {
  return CloseHandle(SystemHandle(file)) != 0;
}
