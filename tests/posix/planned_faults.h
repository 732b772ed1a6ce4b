// Faults planned for the system calls through which the POSIX side moves bytes. The
// test program is linked with --wrap for each of them, so every call in the link, the
// platform library's included, takes the next planned fault first.
#pragma once

#include <stddef.h>

#include <deque>

enum PlannedCall { kCallPread, kCallPwrite, kCallRead, kCallWrite, kCallCount };

/// What one call does: fails with error, or else moves at most `most` bytes (0: none).
struct Fault {
  int error;
  size_t most;
};

/// The next calls of each kind take a fault each from the front; once none is left they
/// go through. Only the test's own thread plans, while no other thread moves bytes.
inline std::deque<Fault> PlannedFaults[kCallCount];
