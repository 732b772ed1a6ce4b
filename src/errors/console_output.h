// Console output: every text the program shows goes through these two operations, as
// code page 866 bytes.
#pragma once

#include "platform/platform.h"

/// The console handles taken once at start-up and never closed.
struct StandardHandles {
  PlatformHandle input;
  PlatformHandle output;
};
extern StandardHandles StdHandles;

/// Writes a terminated code page 866 text to the console output, so that its letters
/// read right whatever code page the console is set to. Failures are ignored.
void WriteText(const char* text);

/// Writes CR then LF.
void WriteLineEnd();
