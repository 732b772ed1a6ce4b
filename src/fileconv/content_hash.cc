#include "fileconv/content_hash.h"

#include <string.h>

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87u;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Fu;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9u;

uint64_t RotateLeft(uint64_t value, int bits) {
  return value << bits | value >> (64 - bits);
}

uint64_t WordAt(const uint8_t* bytes) {
  uint64_t word;
  memcpy(&word, bytes, sizeof word);  // both targets are little-endian
  return word;
}

// Takes one word into a lane: every bit of the word reaches every bit of the lane within
// a few steps.
uint64_t Mix(uint64_t lane, uint64_t word) {
  return RotateLeft(lane + word * kPrime2, 31) * kPrime1;
}

// Spreads every bit of the value over all of it.
uint64_t Avalanche(uint64_t value) {
  value ^= value >> 33;
  value *= kPrime2;
  value ^= value >> 29;
  value *= kPrime3;
  return value ^ value >> 32;
}

}  // namespace

uint64_t BlockHash(const uint8_t* bytes, uint32_t count) {
  uint64_t lanes[4] = {kPrime1, kPrime2, kPrime3, kHashStart};
  uint32_t at = 0;
  for (; at + 32 <= count; at += 32) {
    for (int lane = 0; lane < 4; ++lane)
      lanes[lane] = Mix(lanes[lane], WordAt(bytes + at + 8 * lane));
  }
  for (; at + 8 <= count; at += 8)
    lanes[0] = Mix(lanes[0], WordAt(bytes + at));
  uint64_t rest = 0;
  if (at < count) memcpy(&rest, bytes + at, count - at);
  lanes[1] = Mix(lanes[1], rest);
  const uint64_t joined = RotateLeft(lanes[0], 1) + RotateLeft(lanes[1], 7) +
                          RotateLeft(lanes[2], 12) + RotateLeft(lanes[3], 18);
  return Avalanche(joined ^ count);
}

uint64_t ChainHash(uint64_t chain, uint64_t block) {
  return Avalanche(Mix(chain, block));
}

uint64_t ChainBytes(uint64_t chain, const uint8_t* bytes, uint32_t count) {
  for (uint32_t at = 0; at < count; at += kHashBlockSize) {
    const uint32_t size = count - at < kHashBlockSize ? count - at : kHashBlockSize;
    chain = ChainHash(chain, BlockHash(bytes + at, size));
  }
  return chain;
}
