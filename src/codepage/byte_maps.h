// The two byte maps between DOS code page 866 and Windows code page 1251, and the
// process-wide choice between them.
#pragma once

#include <stdint.h>

typedef uint8_t (*ByteMap)(uint8_t);

/// cp866 to cp1251: the 64 letters, Yo, yo and the numero sign (0xFC to 0xB9) move.
/// Every other byte is returned unchanged.
uint8_t MapCp866ToCp1251(uint8_t byte);

/// cp1251 to cp866, the inverse of MapCp866ToCp1251 on the 67 bytes that move; 0xA9 also
/// becomes the numero sign 0xFC, where earlier versions of this tool had put it.
uint8_t MapCp1251ToCp866(uint8_t byte);

/// The map in force. Chosen once at start-up, before any file is opened; converting
/// from 1251 to 866 unless the command line asks otherwise.
extern ByteMap ByteConverter;

/// The kernels ConvertBuffer chooses from, the fastest first.
enum ByteKernel : uint8_t {
  kKernelPermute64,  // a table lookup on 64 bytes at a time (AVX-512 VBMI)
  kKernelNibbles64,  // lookups by the halves of each byte, on 64 bytes at a time (AVX-512BW)
  kKernelNibbles32,  // on 32 (AVX2)
  kKernelLanes16,    // lane-wise arithmetic on 16 (SSE2, or whatever the compiler makes of
                     // them without it)
};

/// ConvertBuffer runs the first kernel from this one on that the processor has. The
/// results are the same with every kernel.
extern ByteKernel ByteKernelLimit;

/// Replaces each of the first count bytes of buffer by what ByteConverter gives for it.
/// Every byte is mapped on its own, so a block boundary never splits a character.
void ConvertBuffer(uint8_t* buffer, uint16_t count);
