// A fast 64-bit hash of a file's bytes, taken block by block as the conversion passes
// them, so that it costs no pass of its own, and chained, so that a run that goes on
// where another stopped goes on with its hash too.
#pragma once

#include <stdint.h>

/// The hash of no bytes: where every chain starts.
inline constexpr uint64_t kHashStart = 0x9E3779B97F4A7C15u;

/// The bytes of a block, as the chain takes them.
inline constexpr uint32_t kHashBlockSize = 1024;

/// The hash of one block's count bytes (kHashBlockSize at most): its little-endian 32-bit
/// words, each plus a key of its place, multiplied in pairs and the products summed, as
/// wide as the processor allows, then mixed with the count. Two blocks of different
/// lengths hash differently even when the longer only adds zeros.
uint64_t BlockHash(const uint8_t* bytes, uint32_t count);

/// The hashes of the blocks of count bytes that start at a block's start, as BlockHash
/// gives each, into hashes (one for each block begun), many blocks to a call.
void HashBlocks(const uint8_t* bytes, uint32_t count, uint64_t* hashes);

/// The chain after one more block whose hash is block: the chain times a fixed odd
/// number, plus block. A file's hash is the chain over its blocks of 1024 bytes from its
/// start, the last one shorter.
uint64_t ChainHash(uint64_t chain, uint64_t block);

/// The chain after count bytes that start at a block's start, block by block.
uint64_t ChainBytes(uint64_t chain, const uint8_t* bytes, uint32_t count);
