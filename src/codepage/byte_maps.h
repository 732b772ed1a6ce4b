// The two byte maps between DOS code page 866 and Windows code page 1251, and the
// process-wide choice between them.
#pragma once

#include <stdint.h>

typedef uint8_t (*ByteMap)(uint8_t);

/// cp866 to cp1251. Every character both code pages have comes out as itself: ASCII, the
/// Russian letters, №, and a few signs and Ukrainian and Belarusian letters. Any other
/// character becomes, in one byte, what a reader would write in its place (box drawing
/// becomes - = | +, blocks #, √ ?), and a sign never a letter.
uint8_t MapCp866ToCp1251(uint8_t byte);

/// cp1251 to cp866, by the same rule (quotes become ", dashes -, letters of other Cyrillic
/// alphabets the nearest letter, signs such as ‰ ± ™ € § ?). 0xA9 (©) becomes № too,
/// where earlier versions of this tool had put that sign.
uint8_t MapCp1251ToCp866(uint8_t byte);

/// The map in force. Chosen once at start-up, before any file is opened; converting
/// from 1251 to 866 unless the command line asks otherwise.
extern ByteMap ByteConverter;

/// The kernels ConvertBuffer chooses from, the fastest first.
enum ByteKernel : uint8_t {
  kKernelPermute64,  // one lookup of 64 bytes in the table's upper half (AVX-512 VBMI)
  kKernelRows64,     // lookups row by row of that half, on 64 bytes at a time (AVX-512BW)
  kKernelRows32,     // on 32 (AVX2)
  kKernelRows16,     // on 16 (SSSE3)
  kKernelTable,      // the table, a byte at a time
};

/// ConvertBuffer runs the first kernel from this one on that the processor has. The
/// results are the same with every kernel.
extern ByteKernel ByteKernelLimit;

/// The kernel ConvertBuffer runs under the present limit on this processor.
ByteKernel ByteKernelInUse();

/// Replaces each of the first count bytes of buffer by what ByteConverter gives for it.
/// Every byte is mapped on its own, so a block boundary never splits a character.
/// Returns whether any byte changed, found in the same pass.
bool ConvertBuffer(uint8_t* buffer, uint16_t count);
