#include "fileconv/same_file.h"

namespace {

uint32_t BucketOf(PlatformFileId id) {
  const uint64_t mixed = (id.index ^ id.volume * 0x9E3779B97F4A7C15u) * 0xC2B2AE3D27D4EB4Fu;
  return static_cast<uint32_t>(mixed >> 40) % kSeenBuckets;
}

}  // namespace

const PlatformName* SeenBefore(const SeenFiles* seen, PlatformFileId id) {
  for (uint32_t at = seen->buckets[BucketOf(id)]; at != 0; at = seen->files[at - 1].next) {
    const SeenFile& file = seen->files[at - 1];
    if (file.id.volume == id.volume && file.id.index == id.index) return &file.name;
  }
  return nullptr;
}

void NoteSeen(SeenFiles* seen, PlatformFileId id, PlatformName name) {
  if (seen->count == kSeenMost) return;
  uint32_t* first = &seen->buckets[BucketOf(id)];
  seen->files[seen->count] = {id, name, *first};
  *first = ++seen->count;
}
