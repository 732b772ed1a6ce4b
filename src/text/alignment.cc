#include "text/alignment.h"

namespace {

// The length of src, counted no further than width: only that much of it is ever used.
uint32_t LengthUpTo(const char* src, uint16_t width) {
  uint32_t n = 0;
  while (n < width && src[n] != 0)
    ++n;
  return n;
}

void Fill(char* at, uint32_t count, char fill) {
  for (uint32_t i = 0; i < count; ++i)
    at[i] = fill;
}

void CopyForward(char* dst, const char* src, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i)
    dst[i] = src[i];
}

}  // namespace

char* StrAlignRight(const char* src, char* dst, uint16_t width, char fill) {
  const uint32_t length = LengthUpTo(src, width);
  const uint32_t excess = width - length;
  // From the end downward: a source in the same buffer is moved up before the fill
  // covers its old place.
  dst[width] = 0;
  for (uint32_t i = length; i > 0; --i)
    dst[excess + i - 1] = src[i - 1];
  Fill(dst, excess, fill);
  return dst;
}

char* StrAlignLeft(const char* src, char* dst, uint16_t width, char fill) {
  const uint32_t length = LengthUpTo(src, width);
  CopyForward(dst, src, length);
  Fill(dst + length, width - length, fill);
  dst[width] = 0;
  return dst;
}

char* StrAlignCentre(const char* src, char* dst, uint16_t width, char fill) {
  const uint32_t length = LengthUpTo(src, width);
  const uint32_t excess = width - length;
  const uint32_t left = excess / 2;
  Fill(dst, left, fill);
  CopyForward(dst + left, src, length);
  Fill(dst + left + length, excess - left, fill);
  dst[width] = 0;
  return dst;
}
