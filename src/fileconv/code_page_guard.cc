#include "fileconv/code_page_guard.h"

#include "codepage/text_guess.h"
#include "errors/error_context.h"
#include "errors/report_texts.h"
#include "platform/platform.h"

namespace {

// The text is read in samples of kGuardSampleSize while it is undecided, up to the limit,
// and judged after every piece of a sample: a text that cannot be decided is left after
// a few pieces. The first piece that decides, and the last one, are judged apart, so that
// a file converted in part is told whatever its size.
constexpr uint64_t kMostSampled = 1024 * 1024;
constexpr uint32_t kJudgedPiece = 1024;

// The beginning of the text as judged: the verdict, the offset up to which it was judged
// and, when the file ended in the last sample read, where the bytes not judged begin in
// the sample and how many there are.
struct Beginning {
  TextVerdict verdict;
  uint64_t end;
  bool ended;
  uint32_t restAt;
  uint32_t rest;
  Refusal binary;
};

// Tallies the count bytes of a sample piece by piece until a verdict comes or no more
// text could bring one (then *settled is set). *judged receives the bytes tallied.
TextVerdict JudgeSample(const uint8_t* sample, uint32_t count, CodePageId named, TextTally* tally,
                        uint32_t* judged, bool* settled) {
  TextVerdict verdict = kTextUndecided;
  *judged = 0;
  while (*judged < count && verdict == kTextUndecided && !*settled) {
    const uint32_t left = count - *judged;
    const uint32_t piece = left < kJudgedPiece ? left : kJudgedPiece;
    TallyText(tally, sample + *judged, piece);
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

// Judges the text from offset from on, reading samples while it is undecided, and notes
// in finding what the beginning says of each code page. A failed read tells nothing of the
// text and leaves it undecided: the conversion meets the failure again and reports it
// there.
Beginning JudgeBeginning(PlatformHandle file, uint64_t from, CodePageId named, uint8_t* sample,
                         TextFinding* finding) {
  TextTally tally;
  StartTextTally(&tally);
  Beginning beginning = {kTextUndecided, from, false, 0, 0, {}};
  bool settled = false;
  while (beginning.verdict == kTextUndecided && !settled && beginning.end - from < kMostSampled) {
    uint32_t count = 0, judged = 0;
    if (PlatformReadAt(file, beginning.end, sample, kGuardSampleSize, &count) != 0)
      return {kTextUndecided, beginning.end, false, 0, 0, {}};
    beginning.verdict = JudgeSample(sample, count, named, &tally, &judged, &settled);
    beginning.end += judged;
    beginning.ended = count < kGuardSampleSize;
    beginning.restAt = judged;
    beginning.rest = count - judged;
    if (beginning.ended) break;
  }
  beginning.binary = {0, tally.firstControl, from + tally.firstControlAt};
  NoteReadings(tally, finding);
  return beginning;
}

// The verdict on the end of the count bytes: the last kJudgedPiece of them and, while that
// leaves it undecided, twice as many, each tallied afresh from its start, as the end of a
// file reads.
TextVerdict JudgeLastPiece(const uint8_t* bytes, uint32_t count, CodePageId named) {
  TextVerdict verdict = kTextUndecided;
  for (uint32_t piece = kJudgedPiece; verdict == kTextUndecided; piece *= 2) {
    const uint32_t size = piece < count ? piece : count;
    TextTally tally;
    StartTextTally(&tally);
    TallyText(&tally, bytes + count - size, size);
    verdict = JudgeText(&tally, named);
    if (size == count || !TextMayYetDecide(&tally)) break;
  }
  return verdict;
}

// Judges the end of the file past what the beginning judged: the bytes still in the
// sample when the file ended there, or else its last kGuardSampleSize bytes, or as many
// of them as lie past the beginning.
TextVerdict JudgeEnd(PlatformHandle file, const Beginning& beginning, CodePageId named,
                     uint8_t* sample) {
  if (beginning.ended) return JudgeLastPiece(sample + beginning.restAt, beginning.rest, named);
  uint64_t size = 0, modified = 0;
  if (PlatformFileStamp(file, &size, &modified) != 0 || size <= beginning.end)
    return kTextUndecided;
  const uint64_t start =
      size - beginning.end > kGuardSampleSize ? size - kGuardSampleSize : beginning.end;
  uint32_t count = 0;
  if (PlatformReadAt(file, start, sample, static_cast<uint32_t>(size - start), &count) != 0)
    return kTextUndecided;
  return JudgeLastPiece(sample, count, named);
}

// Pelcor's own error for a verdict that refuses the text, or 0.
uint16_t RefusalOf(TextVerdict verdict, CodePageId named) {
  const bool named1251 = named == kCodePage1251;
  switch (verdict) {
    case kTextNotText:
      return kErrorNotText;
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
    case kTextInLatin:
      return kErrorTextInLatin;
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

// Judges the text of the file from offset from on: its first piece that decides, and when
// the file goes on past that, its last piece. A file converted up to some point reads as
// the other code page before it and as the named one after it (or the other way round,
// converted from the end of a first run to the start of a second): it is refused as such.
TextFinding JudgeFile(PlatformHandle file, uint64_t from, CodePageId named, uint8_t* sample) {
  TextFinding finding = {};
  const Beginning beginning = JudgeBeginning(file, from, named, sample, &finding);
  finding.verdict = beginning.verdict;
  finding.refusal = beginning.binary;
  finding.refusal.error = RefusalOf(beginning.verdict, named);
  if (!InEitherPage(beginning.verdict)) return finding;
  const TextVerdict end = JudgeEnd(file, beginning, named, sample);
  if (InEitherPage(end)) {
    finding.beginningPage = PageOf(beginning.verdict, named);
    finding.endPage = PageOf(end, named);
  }
  finding.partly = InEitherPage(end) && end != beginning.verdict;
  if (finding.partly) finding.refusal = {kErrorPartlyConverted, 0, 0};
  return finding;
}

// The argument list of a refusal's report, and the texts it points to: the file's name,
// then for binary data the byte in hexadecimal and its offset in decimal.
struct RefusalList {
  FormatSlot slots[3];
  char byte[3];
  char offset[21];
};

void FillRefusalList(const Refusal& refusal, const FormatSlot* arguments, RefusalList* list) {
  ByteToHexText(refusal.byte, list->byte);
  CountToText(refusal.offset, list->offset);
  list->slots[0] = arguments != nullptr ? arguments[0] : FormatSlot{};
  list->slots[1].text = list->byte;
  list->slots[2].text = list->offset;
}

// Reports the refusal that judge gives, if any, and obeys the answer: Repeat judges
// again.
template <typename Judge>
bool Agrees(const Console& console, Direction direction, Judge judge, const FormatSlot* arguments) {
  const CodePageId named = NamedCodePage(direction);
  for (;;) {
    const Refusal refusal = judge(named).refusal;
    if (refusal.error == 0) return true;
    RefusalList list;
    FillRefusalList(refusal, arguments, &list);
    const AnswerCode answer =
        ShowErrorReport(console, {kActionReadFile, list.slots, refusal.error, kCauseDataFormat,
                                  kRecommendCorrectInformation});
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
  finding.refusal = {RefusalOf(finding.verdict, named), tally.firstControl, tally.firstControlAt};
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
