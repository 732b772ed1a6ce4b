// Console output: every text the program shows goes through these two operations, as
// code page 866 bytes; they reach the console as UTF-16.
#pragma once

#include "platform/platform.h"

/// The console handles taken once at start-up and never closed.
struct StandardHandles {
  HANDLE input;
  HANDLE output;
};
extern StandardHandles StdHandles;

/// Writes a terminated code page 866 text to the console output, converted to UTF-16 a
/// piece at a time in a buffer of its own. Failures are ignored.
void WriteText(const char* text);

/// Writes CR then LF.
void WriteLineEnd();
