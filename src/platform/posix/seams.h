// Seams through which the tests watch and steer the POSIX layer. Nothing in the program
// sets them; with every slot empty the layer talks to the system alone.
#pragma once

#include "platform/platform.h"

/// The file services whose failures a test can plan. kFaultSeek is every positioning:
/// SetFilePointer, and the offset that a ReadFile or WriteFile names, which is taken
/// before the transfer (so a planned failure there leaves the transfer uncounted).
enum FaultedCall {
  kFaultOpen,
  kFaultRead,
  kFaultWrite,
  kFaultSeek,
  kFaultClose,
  kFaultedCallCount
};

/// Makes calls failFrom to failFrom + failCount - 1 (counting from 1) of one service
/// fail with error. failFrom 0 plans nothing. A failing open or seek does not reach the
/// system; a failing read or write first moves up to movedFirst bytes, as a transfer cut
/// short by a failure does; a failing close closes the descriptor, as close(2) does.
struct FileFault {
  uint32_t calls;  // calls made so far, counted by the layer
  uint32_t failFrom;
  uint32_t failCount;
  DWORD error;
  uint32_t movedFirst;
};

/// How the system's single transfers (each read or write call that ReadFile and WriteFile
/// make) behave: the first interruptions of them fail with EINTR, the next stalls move no
/// byte and report no error, and each moves at most most bytes (0: as many as asked).
struct TransferPlan {
  uint32_t most;
  uint32_t interruptions;
  uint32_t stalls;
};

/// Console input records served in order instead of what the input descriptor gives;
/// once they are used up, no further key can come. Flushing discards none of them.
struct PlannedInput {
  const INPUT_RECORD* records;  // nullptr: the descriptor is read
  DWORD count;
  DWORD next;     // the next record to serve, counted by the layer
  DWORD flushes;  // FlushConsoleInputBuffer calls, counted by the layer
};

struct PlatformSeamsRecord {
  /// When set, receives the text handed to WriteConsoleW, as code page 866 bytes,
  /// instead of the console.
  void (*consoleOutput)(const char* bytes, DWORD count);
  FileFault fileFaults[kFaultedCallCount];
  TransferPlan transfers;
  /// When set, FormatMessageW takes the system's text for a number from here instead of
  /// the C library; nullptr means the system has no text for it.
  const WCHAR* (*systemMessage)(DWORD number);
  PlannedInput plannedInput;
};
extern PlatformSeamsRecord PlatformSeams;
