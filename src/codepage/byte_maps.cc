#include "codepage/byte_maps.h"

#include "codepage/cp866_layout.h"

namespace {

// What a byte of run from gains to become the same letter of run to, modulo 256.
constexpr uint8_t Step(uint8_t from, uint8_t to) {
  return static_cast<uint8_t>(to - from);
}

constexpr bool InRun(uint8_t byte, uint8_t start, uint8_t count) {
  return byte >= start && byte - start < count;
}

// Both maps are this one, with the two layouts in turn as from and to.
constexpr uint8_t MapByte(uint8_t byte, const CyrillicLayout& from, const CyrillicLayout& to) {
  if (byte == 0x20) return byte;
  if (byte == from.numero) return to.numero;
  if (byte == from.capitalYo) return to.capitalYo;
  if (byte == from.smallYo) return to.smallYo;
  if (InRun(byte, from.firstLetters, kFirstLetterCount)) {
    return byte + Step(from.firstLetters, to.firstLetters);
  }
  if (InRun(byte, from.lastLetters, kLastLetterCount)) {
    return byte + Step(from.lastLetters, to.lastLetters);
  }
  return byte;
}

}  // namespace

uint8_t MapCp866ToCp1251(uint8_t byte) {
  return MapByte(byte, kCp866Layout, kCp1251Layout);
}

uint8_t MapCp1251ToCp866(uint8_t byte) {
  return MapByte(byte, kCp1251Layout, kCp866Layout);
}

ByteMap ByteConverter = MapCp1251ToCp866;

uint8_t ByteKernelWidthLimit = 64;

namespace {

// MapLanes below takes a whole vector of bytes at a time, with the rules of MapByte
// written as lane-wise arithmetic, so that both GCC and clang emit plain SIMD code for
// it. It adds to every byte a difference chosen by that byte alone: the parts of the
// layout never overlap, so the masked differences merge with a plain or.
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

enum Direction { kTo1251, kTo866 };

template <Direction direction, int width>
PELCOR_LANE_KERNEL void MapLanes(uint8_t* at) {
  constexpr CyrillicLayout from = direction == kTo1251 ? kCp866Layout : kCp1251Layout;
  constexpr CyrillicLayout to = direction == kTo1251 ? kCp1251Layout : kCp866Layout;
  typedef typename Lanes<width>::Bytes Bytes;
  typedef typename Lanes<width>::Signed Signed;
  Bytes b;
  __builtin_memcpy(&b, at, sizeof b);
  const Bytes firstLetters =
      (Bytes)((Signed)(b + ToBottom(from.firstLetters)) < Below(kFirstLetterCount));
  const Bytes lastLetters =
      (Bytes)((Signed)(b + ToBottom(from.lastLetters)) < Below(kLastLetterCount));
  b += (firstLetters & Step(from.firstLetters, to.firstLetters)) |
       (lastLetters & Step(from.lastLetters, to.lastLetters)) |
       ((Bytes)(b == from.capitalYo) & Step(from.capitalYo, to.capitalYo)) |
       ((Bytes)(b == from.smallYo) & Step(from.smallYo, to.smallYo)) |
       ((Bytes)(b == from.numero) & Step(from.numero, to.numero));
  __builtin_memcpy(at, &b, sizeof b);
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
