#include "codepage/byte_maps.h"

#include "codepage/byte_tables.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

uint8_t MapCp866ToCp1251(uint8_t byte) {
  return kCp866ToCp1251.bytes[byte];
}

uint8_t MapCp1251ToCp866(uint8_t byte) {
  return kCp1251ToCp866.bytes[byte];
}

uint8_t MapByte(Direction direction, uint8_t byte) {
  return direction == kFrom866 ? MapCp866ToCp1251(byte) : MapCp1251ToCp866(byte);
}

// A cheap look at what the C runtime found at start, on every call.
bool KernelRuns(ByteKernel kernel) {
  switch (kernel) {
#if defined(__x86_64__)
    case kKernelPermute64:
      return __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
    case kKernelRows64:
      return __builtin_cpu_supports("avx512bw");
    case kKernelRows32:
      return __builtin_cpu_supports("avx2");
#endif
#if defined(__x86_64__) || defined(__i386__)
    case kKernelRows16:
      return __builtin_cpu_supports("ssse3");
#endif
    case kKernelTable:
      return true;
    default:
      return false;
  }
}

ByteKernel ByteKernelInUse() {
  uint8_t kernel = kKernelPermute64;
  while (!KernelRuns(static_cast<ByteKernel>(kernel)))
    ++kernel;
  return static_cast<ByteKernel>(kernel);
}

namespace {

// Each kernel gathers what changes in each byte as it goes (the xor of the byte and what
// the map makes of it), and tells whether any byte changed.
typedef bool (*Converter)(uint8_t* buffer, uint32_t count);

template <const ByteTable& table>
bool ConvertByTable(uint8_t* buffer, uint32_t count) {
  uint8_t changed = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t mapped = table.bytes[buffer[i]];
    changed |= mapped ^ buffer[i];
    buffer[i] = mapped;
  }
  return changed != 0;
}

// Below 0x80 every byte stays, so the vector kernels look up only the table's upper half.
// The kernels that look it up row by row work out what changes in each byte, the xor of
// the byte and what the map makes of it (0 for a byte that stays), and apply that.
#if defined(__x86_64__) || defined(__i386__)

// A lookup of 16 entries (pshufb) takes the low four bits of each index and finds nothing
// for an index whose top bit is set. The upper half is looked up with it row by row (16
// bytes a row), by an index that is the byte with its top bit flipped: the upper half's
// bytes become 0 to 127, the lower half's negative. Before each further lookup the index
// drops by whole rows, saturating, so that a negative index stays negative and a byte of
// row r is found by the lookups of rows 0 to r only. Each row therefore holds how its
// changes differ from those of the row looked up before it, and the xor of the lookups
// is a byte's own change. A row that changes as the one before (a run of letters) needs
// no lookup of its own.
struct RowChain {
  int count;       // lookups
  int8_t drop[8];  // how far the index drops before each lookup
  // Each row four times over: a lookup takes its 16 entries from each 16 bytes of the
  // vector.
  alignas(64) uint8_t rows[8][64];
};

template <const ByteTable& table>
constexpr uint8_t Change(int row, int column) {
  const int byte = 0x80 + 16 * row + column;
  return static_cast<uint8_t>(table.bytes[byte] ^ byte);
}

template <const ByteTable& table>
constexpr RowChain kRowChain = [] {
  RowChain chain = {};
  int last = 0;
  for (int row = 0; row < 8; ++row) {
    uint8_t differs[16] = {};
    bool same = row > 0;
    for (int column = 0; column < 16; ++column) {
      differs[column] = Change<table>(row, column) ^ (row > 0 ? Change<table>(last, column) : 0);
      same = same && differs[column] == 0;
    }
    if (same) continue;
    chain.drop[chain.count] = static_cast<int8_t>(16 * (row - last));
    for (int i = 0; i < 64; ++i)
      chain.rows[chain.count][i] = differs[i % 16];
    ++chain.count;
    last = row;
  }
  return chain;
}();

template <const ByteTable& table>
__attribute__((target("ssse3"))) inline __m128i Changes16(__m128i b) {
  constexpr const RowChain& chain = kRowChain<table>;
  __m128i index = _mm_xor_si128(b, _mm_set1_epi8(-128));
  __m128i changes = _mm_shuffle_epi8(_mm_load_si128((const __m128i*)chain.rows[0]), index);
#pragma GCC unroll 8
  for (int k = 1; k < chain.count; ++k) {
    index = _mm_subs_epi8(index, _mm_set1_epi8(chain.drop[k]));
    changes = _mm_xor_si128(changes,
                            _mm_shuffle_epi8(_mm_load_si128((const __m128i*)chain.rows[k]), index));
  }
  return changes;
}

template <const ByteTable& table>
__attribute__((target("ssse3"))) bool Rows16(uint8_t* buffer, uint32_t count) {
  uint8_t* const whole = buffer + count / 16 * 16;
  __m128i changed = _mm_setzero_si128();
  for (; buffer != whole; buffer += 16) {
    const __m128i b = _mm_loadu_si128((const __m128i*)buffer);
    const __m128i changes = Changes16<table>(b);
    changed = _mm_or_si128(changed, changes);
    _mm_storeu_si128((__m128i*)buffer, _mm_xor_si128(b, changes));
  }
  const bool some = _mm_movemask_epi8(_mm_cmpeq_epi8(changed, _mm_setzero_si128())) != 0xFFFF;
  return ConvertByTable<table>(buffer, count % 16) || some;
}

#endif

#if defined(__x86_64__)

template <const ByteTable& table>
__attribute__((target("avx2"))) bool Rows32(uint8_t* buffer, uint32_t count) {
  constexpr const RowChain& chain = kRowChain<table>;
  uint8_t* const whole = buffer + count / 32 * 32;
  __m256i changed = _mm256_setzero_si256();
  for (; buffer != whole; buffer += 32) {
    const __m256i b = _mm256_loadu_si256((const __m256i*)buffer);
    __m256i index = _mm256_xor_si256(b, _mm256_set1_epi8(-128));
    __m256i changes = _mm256_shuffle_epi8(_mm256_load_si256((const __m256i*)chain.rows[0]), index);
#pragma GCC unroll 8
    for (int k = 1; k < chain.count; ++k) {
      index = _mm256_subs_epi8(index, _mm256_set1_epi8(chain.drop[k]));
      changes = _mm256_xor_si256(
          changes, _mm256_shuffle_epi8(_mm256_load_si256((const __m256i*)chain.rows[k]), index));
    }
    changed = _mm256_or_si256(changed, changes);
    _mm256_storeu_si256((__m256i*)buffer, _mm256_xor_si256(b, changes));
  }
  const bool some = !_mm256_testz_si256(changed, changed);
  return Rows16<table>(buffer, count % 32) || some;
}

template <const ByteTable& table>
__attribute__((target("avx512f,avx512bw"))) inline __m512i Changes64(__m512i b) {
  constexpr const RowChain& chain = kRowChain<table>;
  __m512i index = _mm512_xor_si512(b, _mm512_set1_epi8(-128));
  __m512i changes = _mm512_shuffle_epi8(_mm512_load_si512(chain.rows[0]), index);
#pragma GCC unroll 8
  for (int k = 1; k < chain.count; ++k) {
    index = _mm512_subs_epi8(index, _mm512_set1_epi8(chain.drop[k]));
    changes =
        _mm512_xor_si512(changes, _mm512_shuffle_epi8(_mm512_load_si512(chain.rows[k]), index));
  }
  return changes;
}

// The last part of the buffer goes through masked loads and stores, which touch no byte
// past the count.
template <const ByteTable& table>
__attribute__((target("avx512f,avx512bw"))) bool Rows64(uint8_t* buffer, uint32_t count) {
  uint8_t* const whole = buffer + (count & ~63u);
  __m512i changed = _mm512_setzero_si512();
  for (; buffer != whole; buffer += 64) {
    const __m512i b = _mm512_loadu_si512(buffer);
    const __m512i changes = Changes64<table>(b);
    changed = _mm512_or_si512(changed, changes);
    _mm512_storeu_si512(buffer, _mm512_xor_si512(b, changes));
  }
  if (count % 64 != 0) {
    // The bytes past the count load as 0, which no map changes.
    const __mmask64 rest = (__mmask64{1} << (count % 64)) - 1;
    const __m512i b = _mm512_maskz_loadu_epi8(rest, buffer);
    const __m512i changes = Changes64<table>(b);
    changed = _mm512_or_si512(changed, changes);
    _mm512_mask_storeu_epi8(buffer, rest, _mm512_xor_si512(b, changes));
  }
  return _mm512_test_epi8_mask(changed, changed) != 0;
}

// One instruction looks up 64 bytes at once in the table's upper half, 128 bytes, and
// leaves the bytes below 0x80 as they are. (Two lookups in tables of 64 cost more.) The
// changes, where wanted, are the xor of the lookup and the bytes.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline __m512i Permuted(__m512i b,
                                                                               __m512i first,
                                                                               __m512i second) {
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(b), b,
                                _mm512_permutex2var_epi8(first, b, second));
}

// changed | (b ^ mapped) in one instruction: what the kernel gathers costs it the least.
__attribute__((target("avx512f"))) inline __m512i OrOfXor(__m512i changed, __m512i b,
                                                          __m512i mapped) {
  return _mm512_ternarylogic_epi32(changed, b, mapped, 0xF6);
}

template <const ByteTable& table>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) bool Permute64(uint8_t* buffer,
                                                                      uint32_t count) {
  const __m512i first = _mm512_load_si512(table.bytes + 0x80);
  const __m512i second = _mm512_load_si512(table.bytes + 0xC0);
  __m512i changed = _mm512_setzero_si512();
  // A loop on the pointer alone: the same loop on an index runs a third slower.
  uint8_t* const whole = buffer + (count & ~63u);
  for (; buffer != whole; buffer += 64) {
    const __m512i b = _mm512_loadu_si512(buffer);
    const __m512i mapped = Permuted(b, first, second);
    changed = OrOfXor(changed, b, mapped);
    _mm512_storeu_si512(buffer, mapped);
  }
  if (count % 64 != 0) {
    const __mmask64 rest = (__mmask64{1} << (count % 64)) - 1;
    const __m512i b = _mm512_maskz_loadu_epi8(rest, buffer);
    const __m512i mapped = Permuted(b, first, second);
    changed = OrOfXor(changed, b, mapped);
    _mm512_mask_storeu_epi8(buffer, rest, mapped);
  }
  return _mm512_test_epi8_mask(changed, changed) != 0;
}

#endif

template <const ByteTable& table>
Converter KernelFor(ByteKernel kernel) {
  switch (kernel) {
#if defined(__x86_64__)
    case kKernelPermute64:
      return Permute64<table>;
    case kKernelRows64:
      return Rows64<table>;
    case kKernelRows32:
      return Rows32<table>;
#endif
#if defined(__x86_64__) || defined(__i386__)
    case kKernelRows16:
      return Rows16<table>;
#endif
    default:
      return ConvertByTable<table>;
  }
}

}  // namespace

// Each way ends in a call that takes this one's place, so that a call of ConvertBuffer
// costs no more than its kernel's.
bool ConvertWithKernel(ByteKernel kernel, Direction direction, uint8_t* buffer, uint32_t count) {
  if (direction == kFrom866) return KernelFor<kCp866ToCp1251>(kernel)(buffer, count);
  return KernelFor<kCp1251ToCp866>(kernel)(buffer, count);
}

bool ConvertBuffer(Direction direction, uint8_t* buffer, uint16_t count) {
  return ConvertWithKernel(ByteKernelInUse(), direction, buffer, count);
}
