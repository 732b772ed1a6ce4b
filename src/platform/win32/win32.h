// What the files of the Windows side share: the system's declarations and the handle
// conversions.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/platform.h"

inline HANDLE SystemHandle(PlatformHandle handle) {
  return reinterpret_cast<HANDLE>(handle);
}
inline PlatformHandle DoorHandle(HANDLE handle) {
  return reinterpret_cast<PlatformHandle>(handle);
}

/// Whether the handle is a console's, not a pipe's or a file's.
inline bool IsConsole(HANDLE handle) {
  DWORD mode;
  return GetConsoleMode(handle, &mode) != 0;
}

/// Ends the line of every console stream whose last text left it open (a question), so
/// that what the shell writes next starts on a line of its own.
void EndConsoleLines();
