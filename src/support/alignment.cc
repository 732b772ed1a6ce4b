#include "support/alignment.h"

#include "support/regions.h"
#include "text/strings.h"

// Each length is counted no further than width: only that much of src is ever used.

char* StrAlignRight(const char* src, char* dst, uint16_t width, char fill) {
  const uint32_t length = StrLengthMax(src, width);
  const uint32_t excess = width - length;
  // From the end downward: a source in the same buffer is moved up before the fill
  // covers its old place.
  dst[width] = 0;
  MemCopyBackward(dst + excess, src, static_cast<uint16_t>(length));
  MemFill(dst, fill, excess);
  return dst;
}

char* StrAlignLeft(const char* src, char* dst, uint16_t width, char fill) {
  const uint32_t length = StrLengthMax(src, width);
  MemCopy(dst, src, static_cast<uint16_t>(length));
  MemFill(dst + length, fill, width - length);
  dst[width] = 0;
  return dst;
}

char* StrAlignCentre(const char* src, char* dst, uint16_t width, char fill) {
  const uint32_t length = StrLengthMax(src, width);
  const uint32_t excess = width - length;
  const uint32_t left = excess / 2;
  MemFill(dst, fill, left);
  MemCopy(dst + left, src, static_cast<uint16_t>(length));
  MemFill(dst + left + length, fill, excess - left);
  dst[width] = 0;
  return dst;
}
