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

/// The widest vector, in bytes, that ConvertBuffer may use: 64, 32 or 16. The processor
/// may allow less; the results are the same at every width.
extern uint8_t ByteKernelWidthLimit;

/// Replaces each of the first count bytes of buffer by what ByteConverter gives for it.
/// Every byte is mapped on its own, so a block boundary never splits a character.
void ConvertBuffer(uint8_t* buffer, uint16_t count);
