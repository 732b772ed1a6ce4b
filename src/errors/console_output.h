// Console output: every text the program shows goes through these operations, as code
// page 866 bytes: what the user asked to see to standard output, reports and questions
// to the error stream.
#pragma once

#include "platform/platform.h"

/// The standard handles taken once at start-up and never closed.
struct StandardHandles {
  PlatformHandle input;
  PlatformHandle output;  // the banner, usage, help and version
  PlatformHandle error;   // every report and its question, where the operator sees them
};
extern StandardHandles StdHandles;

/// Writes a terminated code page 866 text to standard output, so that its letters read
/// right whatever code page the console is set to. Failures are ignored.
void WriteText(const char* text);

/// Writes CR then LF to standard output.
void WriteLineEnd();

/// The same on the error stream, for reports and questions.
void WriteReportText(const char* text);
void WriteReportLineEnd();
