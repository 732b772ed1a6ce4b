// The files a run has handled, by the identity the system gives each, so that a file
// named twice (two names, links, "." and ".." spellings) is converted once.
#pragma once

#include <stdint.h>

#include "platform/platform.h"

/// The most files the table holds, and the buckets their identities hash into.
inline constexpr uint32_t kSeenMost = 65536;
inline constexpr uint32_t kSeenBuckets = 4096;

struct SeenFile {
  PlatformFileId id;
  PlatformName name;  // the name it was handled under
  uint32_t next;      // 1 + the index of the next one in its bucket; 0 for none
};

/// All zero is empty. Its entries fill from the first, so that only the part in use
/// takes memory.
struct SeenFiles {
  uint32_t count;
  uint32_t buckets[kSeenBuckets];  // 1 + the index of each bucket's first entry; 0: none
  SeenFile files[kSeenMost];
};

/// The name under which the run handled the file of this identity, or nullptr.
const PlatformName* SeenBefore(const SeenFiles* seen, PlatformFileId id);

/// Notes that the run handled the file under name. Past kSeenMost files the table stays
/// as it is: the files' records still keep a file from being converted twice.
void NoteSeen(SeenFiles* seen, PlatformFileId id, PlatformName name);
