// The guard's cost on text it cannot decide: a file of 1 MiB of random letters of code
// page 866, judged by the guard itself, which stops once no reading can still become
// text; and the tally of the whole MiB, the most the guard would read. Each reports bytes
// per second of the MiB.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <random>
#include <vector>

#include "codepage/byte_maps.h"
#include "codepage/text_guess.h"
#include "fileconv/code_page_guard.h"

namespace {

constexpr uint32_t kMiB = 1024 * 1024;

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
  char path[] = "/tmp/pelcor-guard-XXXXXX";
  const int file = mkstemp(path);
  const std::vector<uint8_t>& bytes = RandomLetters();
  if (file < 0 || write(file, bytes.data(), kMiB) != kMiB) {
    state.SkipWithError("cannot write the file");
    return;
  }
  static uint8_t sample[kGuardSampleSize];
  FormatSlot name[1];
  name[0].text = path;
  const Console console = StandardConsole();
  for (auto _ : state)
    benchmark::DoNotOptimize(CodePageAgrees(console, kFrom866, file, 0, name, sample));
  state.SetBytesProcessed(int64_t{state.iterations()} * kMiB);
  close(file);
  unlink(path);
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
