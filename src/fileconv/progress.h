// The progress line: how far the conversion of a file or a stream has got, rewritten in
// place on the terminal where the reports go, once the work has taken a second.
#pragma once

#include <stdint.h>

#include "errors/console_output.h"
#include "platform/platform.h"
#include "text/language.h"

/// One conversion's progress line.
struct ProgressLine {
  PlatformHandle terminal = kNoHandle;  // where it shows; kNoHandle: nowhere
  Language language;
  const char* shownName;  // code page 866
  uint64_t size;          // the file's size; 0 for a stream, of no known size
  uint64_t from;          // the offset the conversion started at
  uint64_t startMs;
  uint64_t shownMs;  // when it was last written
  bool shown;        // on the terminal now
};

/// The line of a conversion of shownName from offset from on, to show where the console's
/// reports go when that is a terminal, never on a pipe or a file, in the console's
/// language. size 0 stands for a stream.
ProgressLine StartProgress(const Console& console, const char* shownName, uint64_t size,
                           uint64_t from);

/// Shows that the conversion has reached offset done: the name, the percent of the file (of a
/// stream the bytes) and the speed. Nothing in the first second, and a few times a second at most;
/// one write at most.
void ShowProgress(ProgressLine* line, uint64_t done);

/// Clears the line where it shows, so that a report, a question or a line of the
/// program's own has the terminal's line to itself. It shows again at the next
/// ShowProgress.
void ClearProgress(ProgressLine* line);
