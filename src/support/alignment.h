// Alignment of a string in a fixed width. Each operation writes exactly width bytes and a
// terminator to dst, which holds width + 1 bytes. A source of width bytes or more gives
// its first width bytes and no fill; a width of 0 gives the empty string.
#pragma once

#include <stdint.h>

/// src right-aligned, filled on the left with fill. Works from the end backward, so dst
/// may be the buffer that holds src. Returns dst.
char* StrAlignRight(const char* src, char* dst, uint16_t width, char fill);

/// src left-aligned, filled on the right with fill. Copies forward, so dst may be the
/// buffer that holds src. Returns dst.
char* StrAlignLeft(const char* src, char* dst, uint16_t width, char fill);

/// src centred: half the fill, rounded down, on the left and the rest on the right.
/// dst must not overlap src. Returns dst.
char* StrAlignCentre(const char* src, char* dst, uint16_t width, char fill);
