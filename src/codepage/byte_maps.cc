#include "codepage/byte_maps.h"

uint8_t MapCp866ToCp1251(uint8_t byte) {
  if (byte == 0x20) return byte;
  if (byte == 0xFC) return 0xB9;  // numero sign
  if (byte == 0xF0) return 0xA8;
  if (byte == 0xF1) return 0xB8;
  if (byte >= 0x80 && byte <= 0xAF) return static_cast<uint8_t>(byte + 0x40);
  if (byte >= 0xE0 && byte <= 0xEF) return static_cast<uint8_t>(byte + 0x10);
  return byte;
}

uint8_t MapCp1251ToCp866(uint8_t byte) {
  if (byte == 0x20) return byte;
  // The numero sign, and 0xA9, where earlier versions of this tool put it: files they
  // converted come back right.
  if (byte == 0xB9 || byte == 0xA9) return 0xFC;
  if (byte == 0xA8) return 0xF0;
  if (byte == 0xB8) return 0xF1;
  if (byte >= 0xC0 && byte <= 0xEF) return static_cast<uint8_t>(byte - 0x40);
  if (byte >= 0xF0) return static_cast<uint8_t>(byte - 0x10);
  return byte;
}

ByteMap ByteConverter = MapCp1251ToCp866;

uint8_t ByteKernelWidthLimit = 64;

namespace {

// The kernels below take a whole vector of bytes at a time, with the same rules as the
// maps above written as lane-wise arithmetic, so that both GCC and clang emit plain SIMD
// code for them. Each map adds to every byte a difference chosen by that byte alone: the
// rows of a map never overlap, so the masked differences merge with a plain or.
// Comparisons of these vectors give all ones in the lanes where they hold.
template <int width>
struct Lanes {
  typedef uint8_t Bytes __attribute__((vector_size(width)));
  typedef int8_t Signed __attribute__((vector_size(width)));
};

// A byte lies in [low, low + span) when, moved by ToBottom(low), it is a signed byte
// below Below(span): the range is shifted to the bottom of the signed bytes, where one
// signed comparison finds it (before AVX-512, x86 compares bytes only as signed).
constexpr uint8_t ToBottom(uint8_t low) {
  return static_cast<uint8_t>(0x80 - low);
}
constexpr int8_t Below(uint8_t span) {
  return static_cast<int8_t>(-128 + span);
}

// The kernels pass no vector by value, so that a wide one may be compiled for a wider
// instruction set than the code calling it.
#define PELCOR_LANE_KERNEL inline __attribute__((always_inline))

template <int width>
PELCOR_LANE_KERNEL void Map866To1251Lanes(uint8_t* at) {
  typedef typename Lanes<width>::Bytes Bytes;
  typedef typename Lanes<width>::Signed Signed;
  Bytes b;
  __builtin_memcpy(&b, at, sizeof b);
  const Bytes firstLetters = (Bytes)((Signed)(b + ToBottom(0x80)) < Below(0x30));
  const Bytes lastLetters = (Bytes)((Signed)(b + ToBottom(0xE0)) < Below(0x10));
  b += (firstLetters & 0x40) | (lastLetters & 0x10) |
       ((Bytes)(b == 0xF0) & 0xB8) |  // 0xF0 + 0xB8 wraps to 0xA8
       ((Bytes)(b == 0xF1) & 0xC7) |  // to 0xB8
       ((Bytes)(b == 0xFC) & 0xBD);   // to 0xB9
  __builtin_memcpy(at, &b, sizeof b);
}

template <int width>
PELCOR_LANE_KERNEL void Map1251To866Lanes(uint8_t* at) {
  typedef typename Lanes<width>::Bytes Bytes;
  typedef typename Lanes<width>::Signed Signed;
  Bytes b;
  __builtin_memcpy(&b, at, sizeof b);
  // 0xC0 and up lose 0x40, and 0xF0 and up get 0x30 of it back.
  const Bytes letters = (Bytes)((Signed)(b + ToBottom(0xC0)) < Below(0x40));
  const Bytes lastLetters = (Bytes)((Signed)(b + ToBottom(0xF0)) < Below(0x10));
  b += (letters & 0xC0) | (lastLetters & 0x30) |
       ((Bytes)(b == 0xA8) & 0x48) |  // 0xA8 + 0x48 is 0xF0
       ((Bytes)(b == 0xB8) & 0x39) |  // 0xF1
       ((Bytes)(b == 0xA9) & 0x53) |  // 0xFC
       ((Bytes)(b == 0xB9) & 0x43);   // 0xFC
  __builtin_memcpy(at, &b, sizeof b);
}

enum Direction { kTo1251, kTo866 };

template <Direction direction, int width>
PELCOR_LANE_KERNEL void MapLanes(uint8_t* at) {
  if constexpr (direction == kTo1251) {
    Map866To1251Lanes<width>(at);
  } else {
    Map1251To866Lanes<width>(at);
  }
}

// Vectors of width bytes as far as they go, then narrower ones, then single bytes.
template <Direction direction, int width>
PELCOR_LANE_KERNEL void ConvertLanes(uint8_t* buffer, uint32_t count) {
  uint32_t i = 0;
  for (; i + width <= count; i += width)
    MapLanes<direction, width>(buffer + i);
  if constexpr (width > 16) {
    ConvertLanes<direction, 16>(buffer + i, count - i);
  } else {
    const ByteMap map = direction == kTo1251 ? MapCp866ToCp1251 : MapCp1251ToCp866;
    for (; i < count; ++i)
      buffer[i] = map(buffer[i]);
  }
}

typedef void (*Converter)(uint8_t* buffer, uint32_t count);

template <Direction direction>
void Convert16(uint8_t* buffer, uint32_t count) {
  ConvertLanes<direction, 16>(buffer, count);
}

// Wider vectors where the processor has them, chosen on every call (a cheap look at what
// the C runtime found at start): the loop's work falls with their width. The 32-bit
// build keeps to the 16-byte kernel.
#if defined(__x86_64__)

template <Direction direction>
__attribute__((target("avx2"))) void Convert32(uint8_t* buffer, uint32_t count) {
  ConvertLanes<direction, 32>(buffer, count);
}

template <Direction direction>
__attribute__((target("avx512bw"))) void Convert64(uint8_t* buffer, uint32_t count) {
  ConvertLanes<direction, 64>(buffer, count);
}

template <Direction direction>
Converter WidestConverter() {
  if (ByteKernelWidthLimit >= 64 && __builtin_cpu_supports("avx512bw")) {
    return Convert64<direction>;
  }
  if (ByteKernelWidthLimit >= 32 && __builtin_cpu_supports("avx2")) return Convert32<direction>;
  return Convert16<direction>;
}

#else

template <Direction direction>
Converter WidestConverter() {
  return Convert16<direction>;
}

#endif

}  // namespace

void ConvertBuffer(uint8_t* buffer, uint16_t count) {
  if (ByteConverter == MapCp866ToCp1251) {
    WidestConverter<kTo1251>()(buffer, count);
  } else if (ByteConverter == MapCp1251ToCp866) {
    WidestConverter<kTo866>()(buffer, count);
  } else {
    for (uint16_t i = 0; i < count; ++i)
      buffer[i] = ByteConverter(buffer[i]);
  }
}
