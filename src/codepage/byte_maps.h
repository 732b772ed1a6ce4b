// The two byte maps between DOS code page 866 and Windows code page 1251, and the
// conversion of a buffer through the one a direction names.
#pragma once

#include <stdint.h>

typedef uint8_t (*ByteMap)(uint8_t);

/// Which way a run converts: chosen once from the command, and handed to whatever
/// converts, judges or records.
enum Direction : uint8_t {
  kFrom1251 = 0,  // "/1251", or no switch: code page 1251 to 866
  kFrom866 = 1,   // "/866": code page 866 to 1251
};

/// cp866 to cp1251. Every character both code pages have comes out as itself: ASCII, the
/// Russian letters, №, and a few signs and Ukrainian and Belarusian letters. Any other
/// character becomes, in one byte, what a reader would write in its place (box drawing
/// becomes - = | +, blocks #, √ ?), and a sign never a letter.
uint8_t MapCp866ToCp1251(uint8_t byte);

/// cp1251 to cp866, by the same rule (quotes become ", dashes -, letters of other Cyrillic
/// alphabets the nearest letter, signs such as ‰ ± ™ € § ?). 0xA9 (©) becomes № too,
/// where earlier versions of this tool had put that sign.
uint8_t MapCp1251ToCp866(uint8_t byte);

/// The map of a direction, one byte.
uint8_t MapByte(Direction direction, uint8_t byte);

/// The kernels ConvertBuffer chooses from, the fastest first.
enum ByteKernel : uint8_t {
  kKernelPermute64,  // one lookup of 64 bytes in the table's upper half (AVX-512 VBMI)
  kKernelRows64,     // lookups row by row of that half, on 64 bytes at a time (AVX-512BW)
  kKernelRows32,     // on 32 (AVX2)
  kKernelRows16,     // on 16 (SSSE3)
  kKernelTable,      // the table, a byte at a time
};

/// Whether this processor has what the kernel needs (the table needs nothing).
bool KernelRuns(ByteKernel kernel);

/// The kernel ConvertBuffer runs on this processor: the first of the list that it has.
ByteKernel ByteKernelInUse();

/// Replaces each of the first count bytes of buffer by what the direction's map gives
/// for it, with the kernel given, which must run here (KernelRuns). The results are the
/// same with every kernel. Returns whether any byte changed, found in the same pass.
bool ConvertWithKernel(ByteKernel kernel, Direction direction, uint8_t* buffer, uint32_t count);

/// The same with the fastest kernel of this processor. Every byte is mapped on its own,
/// so a block boundary never splits a character.
bool ConvertBuffer(Direction direction, uint8_t* buffer, uint16_t count);
