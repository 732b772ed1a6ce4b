#include "support/regions.h"

#include <string.h>

int16_t MemCompare(const void* a, const void* b, uint16_t n) {
  const uint8_t* x = static_cast<const uint8_t*>(a);
  const uint8_t* y = static_cast<const uint8_t*>(b);
  for (uint16_t i = 0; i < n; ++i) {
    if (x[i] != y[i]) return x[i] > y[i] ? 1 : -1;
  }
  return 0;
}

void* MemCopy(void* dst, const void* src, uint16_t n) {
  // Byte by byte on purpose: an overlapping copy upward repeats the leading bytes, and
  // that result is part of the contract.
  uint8_t* d = static_cast<uint8_t*>(dst);
  const uint8_t* s = static_cast<const uint8_t*>(src);
  for (uint16_t i = 0; i < n; ++i)
    d[i] = s[i];
  return dst;
}

void* MemCopyBackward(void* dst, const void* src, uint16_t n) {
  uint8_t* d = static_cast<uint8_t*>(dst);
  const uint8_t* s = static_cast<const uint8_t*>(src);
  for (uint16_t i = n; i > 0; --i)
    d[i - 1] = s[i - 1];
  return dst;
}

const uint8_t* MemFindByte(const void* p, uint16_t n, uint8_t c) {
  const uint8_t* bytes = static_cast<const uint8_t*>(p);
  for (uint16_t i = 0; i < n; ++i) {
    if (bytes[i] == c) return bytes + i;
  }
  return nullptr;
}

const uint8_t* MemFindByteBackward(const void* p, uint16_t n, uint8_t c) {
  const uint8_t* bytes = static_cast<const uint8_t*>(p);
  for (uint16_t i = n; i > 0; --i) {
    if (bytes[i - 1] == c) return bytes + i - 1;
  }
  return nullptr;
}

uint16_t MemCountByte(const void* p, uint16_t n, uint8_t c) {
  const uint8_t* bytes = static_cast<const uint8_t*>(p);
  uint16_t count = 0;
  for (uint16_t i = 0; i < n; ++i) {
    if (bytes[i] == c) ++count;
  }
  return count;
}

uint16_t MemAllWordsEqual(const void* p, uint16_t n, uint16_t w) {
  const uint8_t* bytes = static_cast<const uint8_t*>(p);
  if (n == 0) return 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint16_t word;
    memcpy(&word, bytes + 2 * i, sizeof word);  // the words may be unaligned
    if (word != w) return 0;
  }
  return n;
}

void* MemFill(void* p, uint8_t c, uint32_t n) {
  uint8_t* bytes = static_cast<uint8_t*>(p);
  for (uint32_t i = 0; i < n; ++i)
    bytes[i] = c;
  return p;
}
