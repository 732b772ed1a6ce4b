#include "codepage/byte_maps.h"

#include "codepage/cp866_layout.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// What a byte of run from gains to become the same letter of run to, modulo 256.
constexpr uint8_t Step(uint8_t from, uint8_t to) {
  return static_cast<uint8_t>(to - from);
}

constexpr bool InRun(uint8_t byte, uint8_t start, uint8_t count) {
  return byte >= start && byte - start < count;
}

// Both maps are this one, with the two layouts in turn as from and to; the map to code
// page 866 also takes the numero sign from where earlier versions of this tool put it,
// so that the files they converted come back right. The maps are written once, for the
// calls through ByteConverter and for the tables of the kernels below, which the
// compiler fills from them.
constexpr uint8_t MapByte(uint8_t byte, const CyrillicLayout& from, const CyrillicLayout& to) {
  if (byte == 0x20) return byte;
  if (byte == from.numero || byte == from.formerNumero) return to.numero;
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

constexpr uint8_t To1251(uint8_t byte) {
  return MapByte(byte, kCp866Layout, kCp1251Layout);
}

constexpr uint8_t To866(uint8_t byte) {
  return MapByte(byte, kCp1251Layout, kCp866Layout);
}

}  // namespace

uint8_t MapCp866ToCp1251(uint8_t byte) {
  return To1251(byte);
}

uint8_t MapCp1251ToCp866(uint8_t byte) {
  return To866(byte);
}

ByteMap ByteConverter = MapCp1251ToCp866;

ByteKernel ByteKernelLimit = kKernelPermute64;

namespace {

// The kernel of every processor takes a whole vector of bytes at a time, with the rules of
// MapByte written as lane-wise arithmetic, so that both GCC and clang emit plain SIMD code
// for it. It adds to every byte a difference chosen by that byte alone: the parts of the
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
       ((Bytes)(b == from.numero) & Step(from.numero, to.numero)) |
       ((Bytes)(b == from.formerNumero) & Step(from.formerNumero, to.numero));
  __builtin_memcpy(at, &b, sizeof b);
}

// Vectors of width bytes as far as they go, then single bytes.
template <Direction direction, int width>
PELCOR_LANE_KERNEL void ConvertLanes(uint8_t* buffer, uint32_t count) {
  uint8_t* const whole = buffer + count / width * width;
  for (; buffer != whole; buffer += width)
    MapLanes<direction, width>(buffer);
  for (uint32_t i = 0; i < count % width; ++i)
    buffer[i] = direction == kTo1251 ? To1251(buffer[i]) : To866(buffer[i]);
}

typedef void (*Converter)(uint8_t* buffer, uint32_t count);

template <Direction direction>
void Convert16(uint8_t* buffer, uint32_t count) {
  ConvertLanes<direction, 16>(buffer, count);
}

// Byte lookups on wider vectors where the processor has them, chosen on every call (a
// cheap look at what the C runtime found at start). The tails go to the 16-byte kernel.
#if defined(__x86_64__)

// Where the processor has no byte permutation across the vector, the difference a byte
// gets is looked up by its halves (its high and its low four bits) in tables of 16: one
// lookup by the high half gives the letter rows' difference, or'ed with one for the single
// bytes that move on their own. Those are picked by both halves: each half looks up a part
// of the single byte's row, and a half that picks none gives 0x80, which makes the last
// lookup give 0. These are twice as fast as the lane-wise arithmetic on the same vectors.
struct NibbleTables {
  uint8_t byHigh[16];  // the difference of the letter rows
  uint8_t pickHigh[16];
  uint8_t pickLow[16];
  uint8_t single[16];  // the difference of each single byte, by its row
};

// The same, each table four times over: a lookup takes its 16 entries from each 16 bytes
// of the vector.
struct WideNibbleTables {
  alignas(64) uint8_t byHigh[64];
  alignas(64) uint8_t pickHigh[64];
  alignas(64) uint8_t pickLow[64];
  alignas(64) uint8_t single[64];
};

constexpr WideNibbleTables Widened(const NibbleTables& t) {
  WideNibbleTables wide = {};
  for (int i = 0; i < 64; ++i) {
    wide.byHigh[i] = t.byHigh[i % 16];
    wide.pickHigh[i] = t.pickHigh[i % 16];
    wide.pickLow[i] = t.pickLow[i % 16];
    wide.single[i] = t.single[i % 16];
  }
  return wide;
}

constexpr uint8_t kNone = 0x80;

template <Direction direction>
constexpr WideNibbleTables kNibbles = Widened(
    direction == kTo1251
        ? NibbleTables{
              // 0x80 to 0xAF move by 0x40, 0xE0 to 0xEF by 0x10.
              {0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x40, 0x40, 0, 0, 0, 0x10, 0},
              // The row 0xF0 picks its bytes by the low half alone: 0xF0, 0xF1, 0xFC.
              {kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
               kNone, kNone, kNone, kNone, 0},
              {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
              {0xB8, 0xC7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xBD, 0, 0, 0},
          }
        : NibbleTables{
              // 0xC0 to 0xEF move down by 0x40, 0xF0 to 0xFF by 0x10.
              {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xC0, 0xC0, 0xF0},
              // 0xA8, 0xA9, 0xB8, 0xB9: rows 0 to 3.
              {kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, 0, 2, kNone,
               kNone, kNone, kNone},
              {kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, 0, 1, kNone, kNone, kNone,
               kNone, kNone, kNone},
              {0x48, 0x53, 0x39, 0x43, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
          });

template <Direction direction>
__attribute__((target("avx2"))) void Nibbles32(uint8_t* buffer, uint32_t count) {
  const WideNibbleTables& t = kNibbles<direction>;
  const __m256i byHigh = _mm256_load_si256((const __m256i*)t.byHigh);
  const __m256i pickHigh = _mm256_load_si256((const __m256i*)t.pickHigh);
  const __m256i pickLow = _mm256_load_si256((const __m256i*)t.pickLow);
  const __m256i single = _mm256_load_si256((const __m256i*)t.single);
  const __m256i half = _mm256_set1_epi8(0x0F);
  uint8_t* const whole = buffer + count / 32 * 32;
  for (; buffer != whole; buffer += 32) {
    const __m256i b = _mm256_loadu_si256((const __m256i*)buffer);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(b, 4), half);
    const __m256i pick = _mm256_or_si256(_mm256_shuffle_epi8(pickHigh, high),
                                         _mm256_shuffle_epi8(pickLow, _mm256_and_si256(b, half)));
    const __m256i difference =
        _mm256_or_si256(_mm256_shuffle_epi8(byHigh, high), _mm256_shuffle_epi8(single, pick));
    _mm256_storeu_si256((__m256i*)buffer, _mm256_add_epi8(b, difference));
  }
  ConvertLanes<direction, 16>(buffer, count % 32);
}

template <Direction direction>
__attribute__((target("avx512f,avx512bw"))) void Nibbles64(uint8_t* buffer, uint32_t count) {
  const WideNibbleTables& t = kNibbles<direction>;
  const __m512i byHigh = _mm512_load_si512(t.byHigh);
  const __m512i pickHigh = _mm512_load_si512(t.pickHigh);
  const __m512i pickLow = _mm512_load_si512(t.pickLow);
  const __m512i single = _mm512_load_si512(t.single);
  const __m512i half = _mm512_set1_epi8(0x0F);
  uint8_t* const whole = buffer + count / 64 * 64;
  for (; buffer != whole; buffer += 64) {
    const __m512i b = _mm512_loadu_si512(buffer);
    const __m512i high = _mm512_and_si512(_mm512_srli_epi16(b, 4), half);
    const __m512i pick = _mm512_or_si512(_mm512_shuffle_epi8(pickHigh, high),
                                         _mm512_shuffle_epi8(pickLow, _mm512_and_si512(b, half)));
    const __m512i difference =
        _mm512_or_si512(_mm512_shuffle_epi8(byHigh, high), _mm512_shuffle_epi8(single, pick));
    _mm512_storeu_si512(buffer, _mm512_add_epi8(b, difference));
  }
  ConvertLanes<direction, 16>(buffer, count % 64);
}

// The upper half of a map, the bytes 0x80 to 0xFF; the lower half moves nothing.
struct UpperHalf {
  alignas(64) uint8_t bytes[128];
};

template <Direction direction>
constexpr UpperHalf kUpperHalf = [] {
  UpperHalf half = {};
  for (int i = 0; i < 128; ++i) {
    const uint8_t byte = static_cast<uint8_t>(0x80 + i);
    half.bytes[i] = direction == kTo1251 ? To1251(byte) : To866(byte);
  }
  return half;
}();

// One instruction looks up 64 bytes at once in a table of 128, the upper half of the map;
// the bytes below 0x80 keep their value. (Two lookups in tables of 64 cost more.) The
// last part of the buffer goes through masked loads and stores, which touch no byte past
// the count.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline __m512i Permute(__m512i b,
                                                                              __m512i first,
                                                                              __m512i second) {
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(b), b,
                                _mm512_permutex2var_epi8(first, b, second));
}

template <Direction direction>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void Permute64(uint8_t* buffer,
                                                                      uint32_t count) {
  const __m512i first = _mm512_load_si512(kUpperHalf<direction>.bytes);
  const __m512i second = _mm512_load_si512(kUpperHalf<direction>.bytes + 64);
  // A loop on the pointer alone: the same loop on an index runs a third slower.
  uint8_t* const whole = buffer + (count & ~63u);
  for (; buffer != whole; buffer += 64) {
    _mm512_storeu_si512(buffer, Permute(_mm512_loadu_si512(buffer), first, second));
  }
  if (count % 64 != 0) {
    const __mmask64 rest = (__mmask64{1} << (count % 64)) - 1;
    const __m512i b = _mm512_maskz_loadu_epi8(rest, buffer);
    _mm512_mask_storeu_epi8(buffer, rest, Permute(b, first, second));
  }
}

template <Direction direction>
Converter BestConverter() {
  if (ByteKernelLimit <= kKernelPermute64 && __builtin_cpu_supports("avx512vbmi") &&
      __builtin_cpu_supports("avx512bw")) {
    return Permute64<direction>;
  }
  if (ByteKernelLimit <= kKernelNibbles64 && __builtin_cpu_supports("avx512bw")) {
    return Nibbles64<direction>;
  }
  if (ByteKernelLimit <= kKernelNibbles32 && __builtin_cpu_supports("avx2")) {
    return Nibbles32<direction>;
  }
  return Convert16<direction>;
}

#elif defined(__i386__)

// The 32-bit build may run on processors without SSE2, so it is compiled without it; the
// 16-byte kernel has it wherever the processor does.
template <Direction direction>
__attribute__((target("sse2"))) void Convert16Sse2(uint8_t* buffer, uint32_t count) {
  ConvertLanes<direction, 16>(buffer, count);
}

template <Direction direction>
Converter BestConverter() {
  if (__builtin_cpu_supports("sse2")) return Convert16Sse2<direction>;
  return Convert16<direction>;
}

#else

template <Direction direction>
Converter BestConverter() {
  return Convert16<direction>;
}

#endif

// Any other map, one call a byte.
void ConvertByteByByte(uint8_t* buffer, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i)
    buffer[i] = ByteConverter(buffer[i]);
}

}  // namespace

// Each way ends in a call that takes this one's place, so that a call of ConvertBuffer
// costs no more than its kernel's.
void ConvertBuffer(uint8_t* buffer, uint16_t count) {
  if (ByteConverter == MapCp866ToCp1251) return BestConverter<kTo1251>()(buffer, count);
  if (ByteConverter == MapCp1251ToCp866) return BestConverter<kTo866>()(buffer, count);
  return ConvertByteByByte(buffer, count);
}
