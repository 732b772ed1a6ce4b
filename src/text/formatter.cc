#include "text/formatter.h"

char* IntToText(uint32_t value, uint8_t radix, uint8_t isSigned, char* destination) {
  if (radix < 2) radix = 10;
  char* out = destination;
  uint32_t magnitude = value;
  if (isSigned != 0 && static_cast<int32_t>(value) < 0) {
    *out++ = '-';
    magnitude = 0u - value;  // also right for -2147483648
  }
  char digits[32];
  int count = 0;
  while (magnitude >= radix) {
    digits[count++] = static_cast<char>(0x30 | (magnitude % radix));
    magnitude /= radix;
  }
  digits[count++] = static_cast<char>(0x30 | magnitude);
  while (count > 0)
    *out++ = digits[--count];
  *out = 0;
  return out;
}

char* CountToText(uint64_t value, char* destination) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  char* out = destination;
  while (count > 0)
    *out++ = digits[--count];
  *out = 0;
  return out;
}

char* ByteToHexText(uint8_t value, char* destination) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  destination[0] = kDigits[value >> 4];
  destination[1] = kDigits[value & 15];
  destination[2] = 0;
  return destination + 2;
}

namespace {

// Output that never passes its capacity; the terminator's byte is always reserved.
struct BoundedOutput {
  char* start;
  size_t room;  // bytes that may still be written before the terminator
  size_t length;

  void Put(char c) {
    if (length < room) start[length++] = c;
  }
  void PutText(const char* text) {
    if (text == nullptr) return;  // a slot without a text shows as nothing
    while (*text != 0 && length < room)
      start[length++] = *text++;
  }
};

}  // namespace

size_t FormatMessageTextMax(char* destination, size_t capacity, const char* format,
                            const FormatSlot* arguments) {
  if (capacity == 0) return 0;
  BoundedOutput out{destination, capacity - 1, 0};
  // The position in the argument list is a 16-bit byte offset of 4-byte slots.
  uint16_t slotOffset = 0;
  for (const char* f = format; *f != 0; ++f) {
    if (*f != '%') {
      out.Put(*f);
      continue;
    }
    const char conversion = *++f;
    if (conversion != 's' && conversion != 'c' && conversion != 'd' && conversion != 'u') break;
    const FormatSlot& slot = arguments[slotOffset / 4];
    slotOffset = static_cast<uint16_t>(slotOffset + 4);
    if (conversion == 's') {
      out.PutText(slot.text);
    } else if (conversion == 'c') {
      out.Put(static_cast<char>(slot.value & 0xFF));
    } else {
      char number[12];
      IntToText(slot.value, 10, conversion == 'd', number);
      out.PutText(number);
    }
  }
  destination[out.length] = 0;
  return out.length;
}

void FormatMessageText(char* destination, const char* format, const FormatSlot* arguments) {
  FormatMessageTextMax(destination, SIZE_MAX, format, arguments);
}
