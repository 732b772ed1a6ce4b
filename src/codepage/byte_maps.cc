#include "codepage/byte_maps.h"

uint8_t MapCp866ToCp1251(uint8_t byte) {
  if (byte == 0x20) return byte;
  if (byte == 0xFC) return 0xA9;  // numero sign; cp1251 has it at 0xB9, but 0xA9 is the contract
  if (byte == 0xF0) return 0xA8;
  if (byte == 0xF1) return 0xB8;
  if (byte >= 0x80 && byte <= 0xAF) return static_cast<uint8_t>(byte + 0x40);
  if (byte >= 0xE0 && byte <= 0xEF) return static_cast<uint8_t>(byte + 0x10);
  return byte;
}

uint8_t MapCp1251ToCp866(uint8_t byte) {
  if (byte == 0x20) return byte;
  if (byte == 0xA9) return 0xFC;
  if (byte == 0xA8) return 0xF0;
  if (byte == 0xB8) return 0xF1;
  if (byte >= 0xC0 && byte <= 0xEF) return static_cast<uint8_t>(byte - 0x40);
  if (byte >= 0xF0) return static_cast<uint8_t>(byte - 0x10);
  return byte;
}

ByteMap ByteConverter = MapCp1251ToCp866;

namespace {

// Sixteen bytes at a time, with the same rules as the maps above written as lane-wise
// selections, so that both GCC and clang emit plain SIMD code for them. Comparisons of
// these vectors give 0xFF in the lanes where they hold.
typedef uint8_t Lanes __attribute__((vector_size(16)));

inline Lanes Select(Lanes mask, Lanes yes, Lanes no) {
  return (mask & yes) | (~mask & no);
}

inline Lanes Map866To1251Lanes(Lanes b) {
  Lanes out = b;
  out = Select((Lanes)(b >= 0x80) & (Lanes)(b <= 0xAF), b + 0x40, out);
  out = Select((Lanes)(b >= 0xE0) & (Lanes)(b <= 0xEF), b + 0x10, out);
  out = Select((Lanes)(b == 0xF0), Lanes{} + 0xA8, out);
  out = Select((Lanes)(b == 0xF1), Lanes{} + 0xB8, out);
  return Select((Lanes)(b == 0xFC), Lanes{} + 0xA9, out);
}

inline Lanes Map1251To866Lanes(Lanes b) {
  Lanes out = b;
  out = Select((Lanes)(b >= 0xC0) & (Lanes)(b <= 0xEF), b - 0x40, out);
  out = Select((Lanes)(b >= 0xF0), b - 0x10, out);
  out = Select((Lanes)(b == 0xA8), Lanes{} + 0xF0, out);
  out = Select((Lanes)(b == 0xB8), Lanes{} + 0xF1, out);
  return Select((Lanes)(b == 0xA9), Lanes{} + 0xFC, out);
}

template <Lanes (*MapLanes)(Lanes), uint8_t (*MapByte)(uint8_t)>
void ConvertWith(uint8_t* buffer, uint16_t count) {
  uint32_t i = 0;
  for (; i + sizeof(Lanes) <= count; i += sizeof(Lanes)) {
    Lanes block;
    __builtin_memcpy(&block, buffer + i, sizeof block);
    block = MapLanes(block);
    __builtin_memcpy(buffer + i, &block, sizeof block);
  }
  for (; i < count; ++i)
    buffer[i] = MapByte(buffer[i]);
}

}  // namespace

void ConvertBuffer(uint8_t* buffer, uint16_t count) {
  if (ByteConverter == MapCp866ToCp1251) {
    ConvertWith<Map866To1251Lanes, MapCp866ToCp1251>(buffer, count);
  } else if (ByteConverter == MapCp1251ToCp866) {
    ConvertWith<Map1251To866Lanes, MapCp1251ToCp866>(buffer, count);
  } else {
    for (uint16_t i = 0; i < count; ++i)
      buffer[i] = ByteConverter(buffer[i]);
  }
}
