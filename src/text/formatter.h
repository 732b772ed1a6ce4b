// The message formatter that expands the report's format texts.
#pragma once

#include <stddef.h>
#include <stdint.h>

/// One slot of an argument list: an integer, or the address of a terminated text.
/// Slots are 4 bytes on the 32-bit target; where a pointer is wider, a slot is as wide
/// as a pointer.
union FormatSlot {
  uint32_t value;
  const char* text;
};

/// Expands format into destination: "%s" copies the slot's text (nothing for a null
/// address), "%c" writes the slot's low byte, "%d" and "%u" write the slot as a signed or
/// unsigned decimal number. Each conversion takes the next slot. Any other byte after "%"
/// (the terminator included) ends the output there. destination must hold the whole
/// expansion.
void FormatMessageText(char* destination, const char* format, const FormatSlot* arguments);

/// The same, but writes at most capacity - 1 bytes and a terminator, however long the
/// expansion would be; a capacity of 0 writes nothing. Returns the length written.
size_t FormatMessageTextMax(char* destination, size_t capacity, const char* format,
                            const FormatSlot* arguments);

/// Writes value in the given radix ("-" first when isSigned and negative) and a
/// terminator; returns the address of the terminator. Digits are 0x30 OR the digit
/// value, so radix 16 gives "0"-"9" then ":" to "?". A radix below 2 writes decimal.
/// destination needs 34 bytes for radix 2, 12 for radix 10.
char* IntToText(uint32_t value, uint8_t radix, uint8_t isSigned, char* destination);

/// Writes a 64-bit count in decimal and a terminator; returns the address of the
/// terminator. destination needs 21 bytes.
char* CountToText(uint64_t value, char* destination);

/// Writes a byte as two upper-case hexadecimal digits and a terminator; returns the
/// address of the terminator. destination needs 3 bytes.
char* ByteToHexText(uint8_t value, char* destination);
