// Console output: every text the program shows goes through these two operations, as
// bytes already in the console's code page (866).
#pragma once

#include "platform/platform.h"

/// The console handles taken once at start-up and never closed.
struct StandardHandles {
  HANDLE input;
  HANDLE output;
};
extern StandardHandles StdHandles;

/// Writes the bytes of a terminated text to the console output. Failures are ignored.
void WriteText(const char* text);

/// Writes CR then LF.
void WriteLineEnd();
