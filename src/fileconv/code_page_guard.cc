#include "fileconv/code_page_guard.h"

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

// Tallies the count bytes of a sample piece by piece, from its start or from its end
// backwards, until a verdict comes or no more text could bring one (then *settled is
// set). *judged receives the bytes tallied.
TextVerdict JudgeSample(const uint8_t* sample, uint32_t count, bool fromTheEnd, CodePageId named,
                        TextTally* tally, uint32_t* judged, bool* settled) {
  TextVerdict verdict = kTextUndecided;
  *judged = 0;
  while (*judged < count && verdict == kTextUndecided && !*settled) {
    const uint32_t left = count - *judged;
    const uint32_t piece = left < kJudgedPiece ? left : kJudgedPiece;
    TallyText(tally, sample + (fromTheEnd ? left - piece : *judged), piece);
    *judged += piece;
    verdict = JudgeText(tally, named);
    *settled = !TextMayYetDecide(tally);
  }
  return verdict;
}

// Notes what the tally of the beginning says of each code page: its verdict, the
// language of its letters and how many letters it has.
void NoteReadings(const TextTally& tally, TextFinding* finding) {
  const CodePageId pages[] = {kCodePage866, kCodePage1251};
  for (const CodePageId page : pages) {
    finding->asPage[page] = JudgeText(&tally, page);
    finding->language[page] = LikeliestLanguage(&tally, static_cast<ByteEncoding>(page));
    const uint32_t letters = tally.readings[page].letters;
    if (letters > finding->letters) finding->letters = letters;
  }
}

// Judges the text from offset from on, reading samples while it is undecided; *end
// receives the offset up to which it was judged, and finding what the beginning says of
// each code page. A failed read tells nothing of the text and leaves it undecided: the
// conversion meets the failure again and reports it there.
TextVerdict JudgeBeginning(PlatformHandle file, uint64_t from, CodePageId named, uint8_t* sample,
                           uint64_t* end, TextFinding* finding) {
  TextTally tally;
  StartTextTally(&tally);
  TextVerdict verdict = kTextUndecided;
  bool settled = false;
  *end = from;
  while (verdict == kTextUndecided && !settled && *end - from < kMostSampled) {
    uint32_t count = 0, judged = 0;
    if (PlatformReadAt(file, *end, sample, kGuardSampleSize, &count) != 0) return kTextUndecided;
    verdict = JudgeSample(sample, count, false, named, &tally, &judged, &settled);
    *end += judged;
    if (count < kGuardSampleSize) break;  // the end of the file
  }
  NoteReadings(tally, finding);
  return verdict;
}

// Judges the last kGuardSampleSize bytes of a file of size bytes, or as many of them as
// lie past offset from, from the end backwards.
TextVerdict JudgeEnd(PlatformHandle file, uint64_t from, uint64_t size, CodePageId named,
                     uint8_t* sample) {
  const uint64_t start = size - from > kGuardSampleSize ? size - kGuardSampleSize : from;
  uint32_t count = 0, judged = 0;
  if (PlatformReadAt(file, start, sample, static_cast<uint32_t>(size - start), &count) != 0)
    return kTextUndecided;
  TextTally tally;
  StartTextTally(&tally);
  bool settled = false;
  return JudgeSample(sample, count, true, named, &tally, &judged, &settled);
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

bool InEitherPage(TextVerdict verdict) {
  return verdict == kTextAsNamed || verdict == kTextInOtherPage;
}

// The code page a verdict of either page names.
CodePageId PageOf(TextVerdict verdict, CodePageId named) {
  return verdict == kTextAsNamed ? named : OtherCodePage(named);
}

// Judges the text of the file from offset from on: its beginning, and when the file goes
// on past what that took, its end. A file converted up to some point reads as the other
// code page before it and as the named one after it (or the other way round, converted
// from the end of a first run to the start of a second): it is refused as such.
TextFinding JudgeFile(PlatformHandle file, uint64_t from, CodePageId named, uint8_t* sample) {
  uint64_t judged = 0, size = 0, modified = 0;
  TextFinding finding = {};
  finding.verdict = JudgeBeginning(file, from, named, sample, &judged, &finding);
  if (InEitherPage(finding.verdict) && PlatformFileStamp(file, &size, &modified) == 0 &&
      size > judged) {
    const TextVerdict end = JudgeEnd(file, judged, size, named, sample);
    finding.partly = InEitherPage(end) && end != finding.verdict;
    finding.beginningPage = PageOf(finding.verdict, named);
    finding.endPage = PageOf(end, named);
  }
  finding.refusal =
      finding.partly ? uint16_t{kErrorPartlyConverted} : RefusalOf(finding.verdict, named);
  return finding;
}

// Reports the refusal that judge gives, if any, and obeys the answer: Repeat judges
// again.
template <typename Judge>
bool Agrees(const Console& console, Direction direction, Judge judge, const FormatSlot* arguments) {
  const CodePageId named = NamedCodePage(direction);
  for (;;) {
    const uint16_t refusal = judge(named).refusal;
    if (refusal == 0) return true;
    const AnswerCode answer = ShowErrorReport(
        console,
        {kActionReadFile, arguments, refusal, kCauseDataFormat, kRecommendCorrectInformation});
    if (answer != kAnswerRepeat) return answer == kAnswerIgnore;
  }
}

}  // namespace

TextFinding FindInFile(PlatformHandle file, uint64_t from, CodePageId named, uint8_t* sample) {
  return JudgeFile(file, from, named, sample);
}

TextFinding FindInBytes(const uint8_t* bytes, uint32_t count, CodePageId named) {
  TextTally tally;
  StartTextTally(&tally);
  TallyText(&tally, bytes, count);
  TextFinding finding = {};
  finding.verdict = JudgeText(&tally, named);
  NoteReadings(tally, &finding);
  finding.refusal = RefusalOf(finding.verdict, named);
  return finding;
}

bool CodePageAgrees(const Console& console, Direction direction, PlatformHandle file, uint64_t from,
                    const FormatSlot* arguments, uint8_t* sample) {
  const auto judge = [&](CodePageId named) { return JudgeFile(file, from, named, sample); };
  return Agrees(console, direction, judge, arguments);
}

bool BytesAgree(const Console& console, Direction direction, const uint8_t* bytes, uint32_t count,
                const FormatSlot* arguments) {
  const auto judge = [&](CodePageId named) { return FindInBytes(bytes, count, named); };
  return Agrees(console, direction, judge, arguments);
}
