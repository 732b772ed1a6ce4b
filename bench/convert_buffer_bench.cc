// ConvertBuffer on one block of Russian text, and on a part of a span, beside the two costs
// it is judged by: a plain copy of as many bytes (the floor) and the per-byte map called
// through the slot (the plain form of the same work). Each reports bytes per second.
#include <benchmark/benchmark.h>
#include <string.h>

#include "codepage/byte_maps.h"
#include "codepage/cp866_literal.h"
#include "fileconv/convert_file.h"

namespace {

// Ordinary prose with DOS line ends, digits, punctuation, Yo and the numero sign, so that
// the mix of moving and unmoved bytes is that of a real document.
constexpr Cp866Literal kProse =
    u8"Приказ № 17 от 3 марта 1994 года.\r\n"
    u8"Всем отделам ещё раз проверить ведомости и к пятнице сдать отчёты в бухгалтерию.\r\n"
    u8"Ёмкость склада учесть отдельно; Семёнову подготовить акт списания оборудования.\r\n"
    u8"Ответственный: начальник отдела кадров Журавлёва Н. П., тел. 25-14.\r\n"
    u8"\tСъешь же ещё этих мягких французских булок, да выпей чаю!\r\n\r\n";

struct Block {
  alignas(64) uint8_t cp866[kBlockSize];
  alignas(64) uint8_t cp1251[kBlockSize];
};

// The prose repeated to fill a block, in both code pages.
const Block& Text() {
  static Block block = [] {
    Block b;
    const size_t length = strlen(kProse);
    for (size_t i = 0; i < kBlockSize; ++i)
      b.cp866[i] = static_cast<uint8_t>(kProse[i % length]);
    for (size_t i = 0; i < kBlockSize; ++i)
      b.cp1251[i] = MapCp866ToCp1251(b.cp866[i]);
    return b;
  }();
  return block;
}

const uint8_t* Source(ByteMap map) {
  return map == MapCp866ToCp1251 ? Text().cp866 : Text().cp1251;
}

Direction DirectionOf(ByteMap map) {
  return map == MapCp866ToCp1251 ? kFrom866 : kFrom1251;
}

// The first kernel from this one on that the processor has.
ByteKernel KernelFrom(int64_t first) {
  uint8_t kernel = static_cast<uint8_t>(first);
  while (!KernelRuns(static_cast<ByteKernel>(kernel)))
    ++kernel;
  return static_cast<ByteKernel>(kernel);
}

void SetBytes(benchmark::State& state, int64_t perIteration) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * perIteration);
}

// The kernels have no branch on the data, so converting the same block again and again
// (its bytes drifting through the map) costs what the first conversion costs. The range
// argument is the kernel; where the processor lacks it, the next it has runs, so a figure
// for a kernel the processor lacks is that of the next.
void BM_ConvertBuffer(benchmark::State& state, ByteMap map) {
  alignas(64) uint8_t buffer[kBlockSize];
  memcpy(buffer, Source(map), kBlockSize);
  const ByteKernel kernel = KernelFrom(state.range(0));
  for (auto _ : state) {
    ConvertWithKernel(kernel, DirectionOf(map), buffer, kBlockSize);
    benchmark::ClobberMemory();
  }
  SetBytes(state, kBlockSize);
}

// There and back again: the text stays real text on every pass, which the kernel does not
// need but shows that the figure above does not depend on the drift.
void BM_ConvertBufferRoundTrip(benchmark::State& state) {
  alignas(64) uint8_t buffer[kBlockSize];
  memcpy(buffer, Text().cp866, kBlockSize);
  for (auto _ : state) {
    ConvertBuffer(kFrom866, buffer, kBlockSize);
    ConvertBuffer(kFrom1251, buffer, kBlockSize);
    benchmark::ClobberMemory();
  }
  SetBytes(state, 2 * kBlockSize);
}

// The C library's own copy, called as a function: a compiler may otherwise expand a copy
// of a known size inline, and slower than the library does it.
void* (*volatile LibraryCopy)(void*, const void*, size_t) = memcpy;

void BM_Memcpy(benchmark::State& state) {
  alignas(64) uint8_t buffer[kBlockSize];
  const uint8_t* source = Text().cp866;
  for (auto _ : state) {
    LibraryCopy(buffer, source, kBlockSize);
    benchmark::ClobberMemory();
  }
  SetBytes(state, kBlockSize);
}

// 63 blocks in one call (the most a 16-bit count takes; the file converter calls it once a
// block), beside a copy of as many bytes: the call's own cost is spread over the part. Both stay
// in the second-level cache.
constexpr uint32_t kPart = 0xFFFF / kBlockSize * kBlockSize;
alignas(64) uint8_t PartSource[kPart];
alignas(64) uint8_t PartBuffer[kPart];

void FillPart(ByteMap map) {
  for (uint32_t i = 0; i < kPart; i += kBlockSize)
    memcpy(PartSource + i, Source(map), kBlockSize);
  memcpy(PartBuffer, PartSource, kPart);
}

void BM_MemcpyPart(benchmark::State& state) {
  FillPart(MapCp866ToCp1251);
  for (auto _ : state) {
    LibraryCopy(PartBuffer, PartSource, kPart);
    benchmark::ClobberMemory();
  }
  SetBytes(state, kPart);
}

void BM_ConvertBufferPart(benchmark::State& state, ByteMap map) {
  FillPart(map);
  for (auto _ : state) {
    ConvertBuffer(DirectionOf(map), PartBuffer, kPart);
    benchmark::ClobberMemory();
  }
  SetBytes(state, kPart);
}

// One call per byte through the slot, reading from unchanged text on every pass and writing
// beside it.
void BM_PerByteCall(benchmark::State& state, ByteMap map) {
  alignas(64) uint8_t buffer[kBlockSize];
  uint8_t* out = buffer;
  benchmark::DoNotOptimize(out);  // the buffer is seen from outside, so every store counts
  const uint8_t* source = Source(map);
  for (auto _ : state) {
    ByteMap slot = map;
    benchmark::DoNotOptimize(slot);
    for (uint32_t i = 0; i < kBlockSize; ++i)
      out[i] = slot(source[i]);
    benchmark::ClobberMemory();
  }
  SetBytes(state, kBlockSize);
}

BENCHMARK(BM_Memcpy);
// 0: one lookup in the upper half (AVX-512 VBMI), 1 to 3: lookups row by row on 64, 32 and
// 16 bytes, 4: the table a byte at a time.
BENCHMARK_CAPTURE(BM_ConvertBuffer, 866_to_1251, MapCp866ToCp1251)
    ->DenseRange(kKernelPermute64, kKernelTable);
BENCHMARK_CAPTURE(BM_ConvertBuffer, 1251_to_866, MapCp1251ToCp866)
    ->DenseRange(kKernelPermute64, kKernelTable);
BENCHMARK(BM_ConvertBufferRoundTrip);
BENCHMARK(BM_MemcpyPart);
BENCHMARK_CAPTURE(BM_ConvertBufferPart, 866_to_1251, MapCp866ToCp1251);
BENCHMARK_CAPTURE(BM_ConvertBufferPart, 1251_to_866, MapCp1251ToCp866);
BENCHMARK_CAPTURE(BM_PerByteCall, 866_to_1251, MapCp866ToCp1251);
BENCHMARK_CAPTURE(BM_PerByteCall, 1251_to_866, MapCp1251ToCp866);

}  // namespace
