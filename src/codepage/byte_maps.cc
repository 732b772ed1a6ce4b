#include "codepage/byte_maps.h"

#include "codepage/cp866_layout.h"

namespace {

constexpr CyrillicLayout cp866 = kCp866Layout;
constexpr CyrillicLayout cp1251 = kCp1251Layout;

// What a byte of run from gains to become the same letter of run to, modulo 256.
constexpr uint8_t Step(uint8_t from, uint8_t to) {
  return static_cast<uint8_t>(to - from);
}

constexpr bool InRun(uint8_t byte, uint8_t start, uint8_t count) {
  return byte >= start && byte - start < count;
}

}  // namespace

uint8_t MapCp866ToCp1251(uint8_t byte) {
  if (byte == 0x20) return byte;
  if (byte == cp866.numero) return cp1251.numero;
  if (byte == cp866.capitalYo) return cp1251.capitalYo;
  if (byte == cp866.smallYo) return cp1251.smallYo;
  if (InRun(byte, cp866.firstLetters, kFirstLetterCount)) {
    return byte + Step(cp866.firstLetters, cp1251.firstLetters);
  }
  if (InRun(byte, cp866.lastLetters, kLastLetterCount)) {
    return byte + Step(cp866.lastLetters, cp1251.lastLetters);
  }
  return byte;
}

uint8_t MapCp1251ToCp866(uint8_t byte) {
  if (byte == 0x20) return byte;
  if (byte == cp1251.numero) return cp866.numero;
  if (byte == cp1251.capitalYo) return cp866.capitalYo;
  if (byte == cp1251.smallYo) return cp866.smallYo;
  if (InRun(byte, cp1251.firstLetters, kFirstLetterCount)) {
    return byte + Step(cp1251.firstLetters, cp866.firstLetters);
  }
  if (InRun(byte, cp1251.lastLetters, kLastLetterCount)) {
    return byte + Step(cp1251.lastLetters, cp866.lastLetters);
  }
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
  const Bytes firstLetters =
      (Bytes)((Signed)(b + ToBottom(cp866.firstLetters)) < Below(kFirstLetterCount));
  const Bytes lastLetters =
      (Bytes)((Signed)(b + ToBottom(cp866.lastLetters)) < Below(kLastLetterCount));
  b += (firstLetters & Step(cp866.firstLetters, cp1251.firstLetters)) |
       (lastLetters & Step(cp866.lastLetters, cp1251.lastLetters)) |
       ((Bytes)(b == cp866.capitalYo) & Step(cp866.capitalYo, cp1251.capitalYo)) |
       ((Bytes)(b == cp866.smallYo) & Step(cp866.smallYo, cp1251.smallYo)) |
       ((Bytes)(b == cp866.numero) & Step(cp866.numero, cp1251.numero));
  __builtin_memcpy(at, &b, sizeof b);
}

template <int width>
PELCOR_LANE_KERNEL void Map1251To866Lanes(uint8_t* at) {
  typedef typename Lanes<width>::Bytes Bytes;
  typedef typename Lanes<width>::Signed Signed;
  Bytes b;
  __builtin_memcpy(&b, at, sizeof b);
  const Bytes firstLetters =
      (Bytes)((Signed)(b + ToBottom(cp1251.firstLetters)) < Below(kFirstLetterCount));
  const Bytes lastLetters =
      (Bytes)((Signed)(b + ToBottom(cp1251.lastLetters)) < Below(kLastLetterCount));
  b += (firstLetters & Step(cp1251.firstLetters, cp866.firstLetters)) |
       (lastLetters & Step(cp1251.lastLetters, cp866.lastLetters)) |
       ((Bytes)(b == cp1251.capitalYo) & Step(cp1251.capitalYo, cp866.capitalYo)) |
       ((Bytes)(b == cp1251.smallYo) & Step(cp1251.smallYo, cp866.smallYo)) |
       ((Bytes)(b == cp1251.numero) & Step(cp1251.numero, cp866.numero));
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
