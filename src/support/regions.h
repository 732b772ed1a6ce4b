// Operations on counted byte regions: a pointer and a byte count. Counts are 16-bit
// (0 to 65535), except that of MemFill, which is 32-bit. Bytes compare as unsigned values.
#pragma once

#include <stdint.h>

/// Compares the first n bytes of a and b: 1 if a's byte at the first difference is the
/// greater, -1 if it is the smaller, 0 if all n agree (also for n = 0).
int16_t MemCompare(const void* a, const void* b, uint16_t n);

/// Copies n bytes one by one from the first byte upward. Returns dst. Overlap is safe only
/// where dst lies below src.
void* MemCopy(void* dst, const void* src, uint16_t n);

/// Copies n bytes one by one from the last byte downward. Returns dst. Overlap is safe
/// where dst lies above src.
void* MemCopyBackward(void* dst, const void* src, uint16_t n);

/// First byte equal to c among the n bytes at p, or nullptr.
const uint8_t* MemFindByte(const void* p, uint16_t n, uint8_t c);

/// Last byte equal to c among the n bytes at p, scanning from the end, or nullptr.
const uint8_t* MemFindByteBackward(const void* p, uint16_t n, uint8_t c);

/// How many of the n bytes at p equal c.
uint16_t MemCountByte(const void* p, uint16_t n, uint8_t c);

/// n counts 16-bit words here: returns n when all n words at p equal w, else 0 (also 0
/// for n = 0). The words need no particular alignment.
uint16_t MemAllWordsEqual(const void* p, uint16_t n, uint16_t w);

/// Sets n bytes at p to c. Returns p.
void* MemFill(void* p, uint8_t c, uint32_t n);
