#include "fileconv/progress.h"

#include "codepage/cp866_literal.h"
#include "text/count_forms.h"
#include "text/formatter.h"
#include "text/strings.h"

namespace {

// A conversion done within a second shows no line; after that it is written four times a
// second at most.
constexpr uint64_t kFirstShowMs = 1000;
constexpr uint64_t kShowEveryMs = 250;

// A longer name shows its end, so that the line fits a terminal of 80 columns.
constexpr uint32_t kNameShown = 40;

// The name, how far, and the speed in megabytes (10^6 bytes) a second.
constexpr TextPair kLineText = {Ru<u8"pelcor: %s: %s, %s МБ/с">, "pelcor: %s: %s, %s MB/s"};

// How far a stream has got, in each form of the count.
constexpr TextPair kStreamBytes[kCountForms] = {
    {Ru<u8"%s байт">, "%s byte"},
    {Ru<u8"%s байта">, "%s bytes"},
    {Ru<u8"%s байт">, "%s bytes"},
};

// How far: "45%" of a file, "12345678 bytes" of a stream, into out (32 bytes).
void HowFar(const ProgressLine& line, uint64_t done, char* out) {
  char digits[21];
  CountToText(done, digits);
  if (line.size == 0) {
    FormatSlot slot[1];
    slot[0].text = digits;
    const TextPair& words = kStreamBytes[CountFormOf(done, line.language == kRussian)];
    FormatMessageTextMax(out, 32, Pick(line.language, words), slot);
    return;
  }
  const uint64_t hundredth = line.size / 100 > 0 ? line.size / 100 : 1;
  const uint64_t percent = line.size >= 100 ? done / hundredth : done * 100 / line.size;
  char* end = CountToText(percent < 100 ? percent : 100, out);
  end[0] = '%';
  end[1] = 0;
}

// Megabytes a second to a tenth, "12.3" ("12,3" in Russian), into out (24 bytes).
void Speed(uint64_t bytes, uint64_t ms, Language language, char* out) {
  const uint64_t tenths = bytes / ((ms > 0 ? ms : 1) * 100);
  char* end = CountToText(tenths / 10, out);
  end[0] = language == kRussian ? ',' : '.';
  end[1] = static_cast<char>('0' + tenths % 10);
  end[2] = 0;
}

// The name as the line shows it: a long one by its end, after "...".
const char* NameShown(const char* name, char* out) {
  const uint32_t length = StrLength(name);
  if (length <= kNameShown) return name;
  out[0] = out[1] = out[2] = '.';
  StrCopyMax(out + 3, name + length - (kNameShown - 3), kNameShown - 3);
  return out;
}

}  // namespace

ProgressLine StartProgress(const Console& console, const char* shownName, uint64_t size,
                           uint64_t from) {
  ProgressLine line;
  line.terminal = PlatformIsTerminal(console.error) ? console.error : kNoHandle;
  line.language = console.language;
  line.shownName = shownName;
  line.size = size;
  line.from = from;
  line.startMs = PlatformClockMs();
  line.shownMs = 0;
  line.shown = false;
  return line;
}

void ShowProgress(ProgressLine* line, uint64_t done) {
  if (line->terminal == kNoHandle) return;
  const uint64_t now = PlatformClockMs();
  if (now - line->startMs < kFirstShowMs) return;
  if (line->shown && now - line->shownMs < kShowEveryMs) return;
  char name[kNameShown + 1];
  char howFar[32];
  char speed[24];
  HowFar(*line, done, howFar);
  Speed(done - line->from, now - line->startMs, line->language, speed);
  FormatSlot slots[3];
  slots[0].text = NameShown(line->shownName, name);
  slots[1].text = howFar;
  slots[2].text = speed;
  char text[160];
  FormatMessageTextMax(text, sizeof text, Pick(line->language, kLineText), slots);
  PlatformShowStatus(line->terminal, text, StrLength(text));
  line->shown = true;
  line->shownMs = now;
}

void ClearProgress(ProgressLine* line) {
  if (!line->shown) return;
  PlatformShowStatus(line->terminal, "", 0);
  line->shown = false;
}
