#include "fileconv/content_hash.h"

#include <string.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t kWords = kHashBlockSize / 4;

// One key for each 32-bit word of a block, from a fixed seed. A block's words are taken
// in pairs, each word plus its key, and the products of the pairs summed: one
// multiplication for eight bytes, in any order, so that wide registers take many at once
// and every kernel gives the same sum.
struct BlockKeys {
  alignas(64) uint32_t words[kWords];
};
constexpr BlockKeys kKeys = [] {
  BlockKeys keys{};
  uint64_t state = kHashStart;
  for (uint32_t i = 0; i < kWords; ++i) {
    state += 0x9E3779B97F4A7C15u;
    const uint64_t z = (state ^ state >> 30) * 0xBF58476D1CE4E5B9u;
    keys.words[i] = static_cast<uint32_t>((z ^ z >> 27) * 0x94D049BB133111EBu >> 32);
  }
  return keys;
}();

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87u;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Fu;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9u;

// Spreads every bit of the value over all of it.
uint64_t Avalanche(uint64_t value) {
  value ^= value >> 33;
  value *= kPrime2;
  value ^= value >> 29;
  value *= kPrime3;
  return value ^ value >> 32;
}

// The sums of whole blocks, each of its products, a pair at a time.
void SumByPairs(const uint8_t* bytes, uint32_t blocks, uint64_t* sums) {
  for (uint32_t b = 0; b < blocks; ++b, bytes += kHashBlockSize) {
    uint64_t sum = 0;
    for (uint32_t i = 0; i < kWords; i += 2) {
      uint32_t pair[2];
      memcpy(pair, bytes + 4 * i, sizeof pair);  // both targets are little-endian
      const uint32_t first = pair[0] + kKeys.words[i], second = pair[1] + kKeys.words[i + 1];
      sum += uint64_t{first} * second;
    }
    sums[b] = sum;
  }
}

#if defined(__x86_64__) || defined(__i386__)

// The same sums, two pairs at a time: each 64-bit lane holds a pair, its first word low,
// multiplied by the lane with its words swapped, which the shuffle unit makes while the
// multiplier works.
__attribute__((target("sse2"))) void SumByPairs16(const uint8_t* bytes, uint32_t blocks,
                                                  uint64_t* sums) {
  for (uint32_t b = 0; b < blocks; ++b, bytes += kHashBlockSize) {
    __m128i sum = _mm_setzero_si128();
    for (uint32_t i = 0; i < kWords; i += 4) {
      const __m128i words = _mm_add_epi32(_mm_loadu_si128((const __m128i*)(bytes + 4 * i)),
                                          _mm_load_si128((const __m128i*)(kKeys.words + i)));
      sum = _mm_add_epi64(sum, _mm_mul_epu32(words, _mm_shuffle_epi32(words, 0xB1)));
    }
    uint64_t lanes[2];
    _mm_storeu_si128((__m128i*)lanes, sum);
    sums[b] = lanes[0] + lanes[1];
  }
}

#endif

#if defined(__x86_64__)

__attribute__((target("avx2"))) void SumByPairs32(const uint8_t* bytes, uint32_t blocks,
                                                  uint64_t* sums) {
  for (uint32_t b = 0; b < blocks; ++b, bytes += kHashBlockSize) {
    __m256i sum = _mm256_setzero_si256();
    for (uint32_t i = 0; i < kWords; i += 8) {
      const __m256i words = _mm256_add_epi32(_mm256_loadu_si256((const __m256i*)(bytes + 4 * i)),
                                             _mm256_load_si256((const __m256i*)(kKeys.words + i)));
      sum = _mm256_add_epi64(sum, _mm256_mul_epu32(words, _mm256_shuffle_epi32(words, 0xB1)));
    }
    uint64_t lanes[4];
    _mm256_storeu_si256((__m256i*)lanes, sum);
    sums[b] = lanes[0] + lanes[1] + lanes[2] + lanes[3];
  }
}

__attribute__((target("avx512f"))) void SumByPairs64(const uint8_t* bytes, uint32_t blocks,
                                                     uint64_t* sums) {
  for (uint32_t b = 0; b < blocks; ++b, bytes += kHashBlockSize) {
    // Two sums, so that the additions of one wait on the other's less. The masked forms,
    // all lanes kept: the plain ones start from an undefined value that the compiler
    // warns of.
    __m512i sum[2] = {_mm512_setzero_si512(), _mm512_setzero_si512()};
    for (uint32_t i = 0; i < kWords; i += 16) {
      const __m512i words =
          _mm512_add_epi32(_mm512_loadu_si512(bytes + 4 * i), _mm512_load_si512(kKeys.words + i));
      const __m512i seconds = _mm512_maskz_shuffle_epi32(0xFFFF, words, _MM_PERM_CDAB);
      sum[i / 16 % 2] =
          _mm512_add_epi64(sum[i / 16 % 2], _mm512_maskz_mul_epu32(0xFF, words, seconds));
    }
    uint64_t lanes[8];
    _mm512_storeu_si512(lanes, _mm512_add_epi64(sum[0], sum[1]));
    sums[b] = lanes[0] + lanes[1] + lanes[2] + lanes[3] + lanes[4] + lanes[5] + lanes[6] + lanes[7];
  }
}

#endif

// The sums of whole blocks, by the widest registers the processor has.
void SumsOfBlocks(const uint8_t* bytes, uint32_t blocks, uint64_t* sums) {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx512f")) return SumByPairs64(bytes, blocks, sums);
  if (__builtin_cpu_supports("avx2")) return SumByPairs32(bytes, blocks, sums);
#endif
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("sse2")) return SumByPairs16(bytes, blocks, sums);
#endif
  SumByPairs(bytes, blocks, sums);
}

// A block's hash from its sum and length.
uint64_t Finished(uint64_t sum, uint32_t count) {
  return Avalanche(sum ^ (count + 1) * kPrime1);
}

}  // namespace

void HashBlocks(const uint8_t* bytes, uint32_t count, uint64_t* hashes) {
  const uint32_t whole = count / kHashBlockSize;
  SumsOfBlocks(bytes, whole, hashes);
  for (uint32_t b = 0; b < whole; ++b)
    hashes[b] = Finished(hashes[b], kHashBlockSize);
  // A block shorter than the rest, the last of a file, is taken with zeros after it; its
  // length goes into the hash, so that the zeros never pass for bytes.
  const uint32_t rest = count % kHashBlockSize;
  if (rest == 0 && whole != 0) return;
  alignas(64) uint8_t padded[kHashBlockSize] = {};
  memcpy(padded, bytes + count - rest, rest);
  SumsOfBlocks(padded, 1, hashes + whole);
  hashes[whole] = Finished(hashes[whole], rest);
}

uint64_t BlockHash(const uint8_t* bytes, uint32_t count) {
  uint64_t hash = 0;
  HashBlocks(bytes, count, &hash);
  return hash;
}

uint64_t ChainHash(uint64_t chain, uint64_t block) {
  // The blocks' hashes are mixed through already: the chain weighs each by its place,
  // one multiplication a block, so that a long file's chain waits little on itself.
  return chain * kPrime2 + block;
}

uint64_t ChainBytes(uint64_t chain, const uint8_t* bytes, uint32_t count) {
  uint64_t hashes[64];
  for (uint32_t at = 0; at < count;) {
    const uint32_t piece = count - at < sizeof hashes / 8 * kHashBlockSize
                               ? count - at
                               : static_cast<uint32_t>(sizeof hashes / 8 * kHashBlockSize);
    HashBlocks(bytes + at, piece, hashes);
    for (uint32_t b = 0; b * kHashBlockSize < piece; ++b)
      chain = ChainHash(chain, hashes[b]);
    at += piece;
  }
  return chain;
}
