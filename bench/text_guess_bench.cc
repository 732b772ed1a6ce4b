// The guard's cost on text it cannot decide: 1 MiB of random letters of code page 866,
// judged as the guard judges a file, 64 KiB at a time until no reading can still become
// text; and the tally of the whole MiB, the most the guard would read. Each reports bytes
// per second of the MiB.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "codepage/text_guess.h"

namespace {

constexpr uint32_t kMiB = 1024 * 1024;
constexpr uint32_t kSample = 64 * 1024;

const std::vector<uint8_t>& RandomLetters() {
  static const std::vector<uint8_t> letters = [] {
    std::vector<uint8_t> bytes(kMiB);
    std::mt19937 random(866);
    for (uint8_t& byte : bytes) {
      const uint32_t letter = random() % 64;  // А..п from 0x80, р..я from 0xE0
      byte = static_cast<uint8_t>(letter < 48 ? 0x80 + letter : 0xE0 + letter - 48);
    }
    return bytes;
  }();
  return letters;
}

void BM_GuardOnRandomLetters(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = RandomLetters();
  for (auto _ : state) {
    TextTally tally;
    StartTextTally(&tally);
    TextVerdict verdict = kTextUndecided;
    for (uint32_t at = 0; at < kMiB && verdict == kTextUndecided; at += kSample) {
      TallyText(&tally, bytes.data() + at, kSample);
      verdict = JudgeText(&tally, kCodePage866);
      if (!TextMayYetDecide(&tally)) break;
    }
    benchmark::DoNotOptimize(verdict);
  }
  state.SetBytesProcessed(int64_t{state.iterations()} * kMiB);
}
BENCHMARK(BM_GuardOnRandomLetters);

void BM_TallyOfAMiB(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = RandomLetters();
  for (auto _ : state) {
    TextTally tally;
    StartTextTally(&tally);
    TallyText(&tally, bytes.data(), kMiB);
    benchmark::DoNotOptimize(JudgeText(&tally, kCodePage866));
  }
  state.SetBytesProcessed(int64_t{state.iterations()} * kMiB);
}
BENCHMARK(BM_TallyOfAMiB);

}  // namespace
