#include "fileconv/code_page_guard.h"

#include "codepage/byte_maps.h"
#include "codepage/text_guess.h"
#include "errors/error_context.h"
#include "errors/report_texts.h"
#include "platform/platform.h"

namespace {

// The text is read in pieces of this size while it is undecided, up to the limit.
constexpr uint64_t kMostSampled = 1024 * 1024;

CodePageId NamedCodePage() {
  return ByteConverter == MapCp866ToCp1251 ? kCodePage866 : kCodePage1251;
}

TextVerdict JudgeFile(PlatformHandle file, CodePageId named, uint8_t* sample) {
  TextTally tally;
  StartTextTally(&tally);
  TextVerdict verdict = kTextUndecided;
  uint64_t offset = 0;
  while (verdict == kTextUndecided && offset < kMostSampled) {
    uint32_t count = 0;
    // A failed read tells nothing of the text; the conversion meets the failure again
    // and reports it there.
    if (!PlatformReadAt(file, offset, sample, kGuardSampleSize, &count)) return kTextUndecided;
    TallyText(&tally, sample, count);
    verdict = JudgeText(&tally, named);
    if (count < kGuardSampleSize) break;  // the end of the file
    offset += count;
  }
  return verdict;
}

// Pelcor's own error for a verdict that refuses the text, or 0.
uint16_t RefusalOf(TextVerdict verdict, CodePageId named) {
  const bool named1251 = named == kCodePage1251;
  if (verdict == kTextInOtherPage) return named1251 ? kErrorTextIn866 : kErrorTextIn1251;
  if (verdict == kTextInUtf8) return named1251 ? kErrorUtf8Not1251 : kErrorUtf8Not866;
  return 0;
}

}  // namespace

bool CodePageAgrees(PlatformHandle file, const FormatSlot* arguments, uint8_t* sample) {
  const CodePageId named = NamedCodePage();
  for (;;) {
    const uint16_t refusal = RefusalOf(JudgeFile(file, named, sample), named);
    if (refusal == 0) return true;
    SetErrorAction(kActionReadFile, arguments);
    ClearAnswer();  // a new question, whatever an earlier one was answered
    const uint16_t answer = ReportError(refusal, kCauseDataFormat, kRecommendCorrectInformation);
    if (answer != kAnswerRepeat) return answer == kAnswerIgnore;
  }
}
