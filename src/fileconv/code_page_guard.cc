#include "fileconv/code_page_guard.h"

#include "codepage/byte_maps.h"
#include "codepage/text_guess.h"
#include "errors/error_context.h"
#include "errors/report_texts.h"
#include "platform/platform.h"

namespace {

// The text is read in samples of kGuardSampleSize while it is undecided, up to the limit,
// and judged after every piece of a sample: a text that cannot be decided is left after
// a few pieces.
constexpr uint64_t kMostSampled = 1024 * 1024;
constexpr uint32_t kJudgedPiece = 4096;

CodePageId NamedCodePage() {
  return ByteConverter == MapCp866ToCp1251 ? kCodePage866 : kCodePage1251;
}

// Tallies the count bytes of a sample piece by piece until a verdict comes, or no more
// text could bring one (then *settled is set).
TextVerdict JudgeSample(TextTally* tally, const uint8_t* sample, uint32_t count, CodePageId named,
                        bool* settled) {
  TextVerdict verdict = kTextUndecided;
  for (uint32_t at = 0; at < count && verdict == kTextUndecided && !*settled; at += kJudgedPiece) {
    TallyText(tally, sample + at, count - at < kJudgedPiece ? count - at : kJudgedPiece);
    verdict = JudgeText(tally, named);
    *settled = !TextMayYetDecide(tally);
  }
  return verdict;
}

TextVerdict JudgeFile(PlatformHandle file, CodePageId named, uint8_t* sample) {
  TextTally tally;
  StartTextTally(&tally);
  TextVerdict verdict = kTextUndecided;
  bool settled = false;
  uint64_t offset = 0;
  while (verdict == kTextUndecided && !settled && offset < kMostSampled) {
    uint32_t count = 0;
    // A failed read tells nothing of the text; the conversion meets the failure again
    // and reports it there.
    if (!PlatformReadAt(file, offset, sample, kGuardSampleSize, &count)) return kTextUndecided;
    verdict = JudgeSample(&tally, sample, count, named, &settled);
    if (count < kGuardSampleSize) break;  // the end of the file
    offset += count;
  }
  return verdict;
}

// Pelcor's own error for a verdict that refuses the text, or 0.
uint16_t RefusalOf(TextVerdict verdict, CodePageId named) {
  const bool named1251 = named == kCodePage1251;
  switch (verdict) {
    case kTextInOtherPage:
      return named1251 ? kErrorTextIn866 : kErrorTextIn1251;
    case kTextInUtf8:
      return named1251 ? kErrorUtf8Not1251 : kErrorUtf8Not866;
    case kTextInKoi8:
      return kErrorTextInKoi8;
    case kTextInIso88595:
      return kErrorTextInIso88595;
    case kTextInUtf16:
      return kErrorTextInUtf16;
    default:
      return 0;
  }
}

// Reports a refusal of the text that judge gives and obeys the answer: Repeat judges
// again.
template <typename Judge>
bool Agrees(Judge judge, const FormatSlot* arguments) {
  const CodePageId named = NamedCodePage();
  for (;;) {
    const uint16_t refusal = RefusalOf(judge(named), named);
    if (refusal == 0) return true;
    SetErrorAction(kActionReadFile, arguments);
    ClearAnswer();  // a new question, whatever an earlier one was answered
    const uint16_t answer = ReportError(refusal, kCauseDataFormat, kRecommendCorrectInformation);
    if (answer != kAnswerRepeat) return answer == kAnswerIgnore;
  }
}

}  // namespace

bool CodePageAgrees(PlatformHandle file, const FormatSlot* arguments, uint8_t* sample) {
  return Agrees([&](CodePageId named) { return JudgeFile(file, named, sample); }, arguments);
}

bool BytesAgree(const uint8_t* bytes, uint32_t count, const FormatSlot* arguments) {
  return Agrees(
      [&](CodePageId named) {
        TextTally tally;
        StartTextTally(&tally);
        TallyText(&tally, bytes, count);
        return JudgeText(&tally, named);
      },
      arguments);
}
