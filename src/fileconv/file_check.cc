#include "fileconv/file_check.h"

#include "errors/report.h"
#include "errors/report_texts.h"
#include "fileconv/code_page_guard.h"
#include "fileconv/file_record.h"

namespace {

// The direction the conversion named converts the file in, where it knows one.
Direction PlannedDirection(const Plan& plan) {
  return plan.aim == kAimToPage ? DirectionFrom(OtherCodePage(plan.target)) : plan.direction;
}

// Where the conversion named goes on, after an interrupted one of its direction.
uint64_t ResumedAt(const FileCheck& check, const Plan& plan) {
  const bool resumes =
      check.recorded && plan.aim != kAimNone && check.recordedBy == PlannedDirection(plan);
  return resumes ? check.recordedAt : 0;
}

// The code page the guard judges the text for: the one the conversion named converts
// from, or, with none, the default switch's. Either way both are judged. --to judges it
// for its target, to tell where the text is, unless a record decides: then it converts
// from the other code page, and the guard judges the text for that one.
CodePageId NamedPage(const FileCheck& check, const Plan& plan) {
  const bool recordDecides = check.byPelcor || ResumedAt(check, plan) != 0;
  if (plan.aim == kAimToPage)
    return recordDecides ? NamedCodePage(PlannedDirection(plan)) : plan.target;
  return plan.aim == kAimSwitch ? NamedCodePage(plan.direction) : kCodePage1251;
}

// The kind the verdicts on the beginning give: a code page where it reads as text and
// the other one does not, or the encoding both name; kKindUnknown while they cannot tell.
FileKind KindOfText(const TextFinding& finding) {
  if (finding.partly) return kKindPart;
  const bool as866 = finding.asPage[kCodePage866] == kTextAsNamed;
  const bool as1251 = finding.asPage[kCodePage1251] == kTextAsNamed;
  if (as866 != as1251) return as866 ? kKind866 : kKind1251;
  if (as866) return kKindUnknown;  // both read as text
  // A few letters of either code page can form UTF-8 by chance: only what both readings
  // say is told.
  if (finding.asPage[kCodePage866] != finding.asPage[kCodePage1251]) return kKindUnknown;
  switch (finding.asPage[kCodePage1251]) {
    case kTextInKoi8:
      return kKindKoi8;
    case kTextInIso88595:
      return kKindIso88595;
    case kTextInUtf8:
      return kKindUtf8;
    case kTextInUtf16:
      return kKindUtf16;
    case kTextNotText:
      return kKindBinary;
    case kTextInLatin:
      return kKindLatin;
    default:
      return kKindUnknown;
  }
}

// Fills in what the finding says, unless a record said it already.
void Describe(const TextFinding& finding, FileCheck* check) {
  check->letters = finding.letters;
  if (check->recorded) return;
  if (!check->byPelcor) check->kind = KindOfText(finding);
  if (check->kind == kKind866 || check->kind == kKind1251)
    check->language = finding.language[check->kind == kKind866 ? kCodePage866 : kCodePage1251];
  check->beginningPage = finding.beginningPage;
  check->endPage = finding.endPage;
  check->controlByte = finding.refusal.byte;
  check->controlAt = finding.refusal.offset;
}

bool BytesAscii(const uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    if (bytes[i] >= 0x80) return false;
  }
  return true;
}

// Whether every byte of the file is below 0x80, read span by span through buffer, up to
// the first that is not; a failed read fails the check.
bool AsciiFile(PlatformHandle file, uint8_t* buffer, FileCheck* check) {
  for (uint64_t at = 0;; at += kSpanSize) {
    uint32_t count = 0;
    check->failure = PlatformReadAt(file, at, buffer, kSpanSize, &count);
    if (check->failure != 0) check->failedAction = kActionReadFile;
    if (check->failure != 0 || !BytesAscii(buffer, count)) return false;
    if (count < kSpanSize) return true;
  }
}

// What --to does with the file, by what the guard finds for the target code page: it
// converts a text that reads as the other code page rather than the target one by the
// guard's margin. Any other text is refused where the guard refuses it for a conversion
// from the other code page, the one --to would run, and left where the guard would let
// it through: --to converts no file that it cannot place.
Outcome ToPageOutcome(const TextFinding& finding, CodePageId target) {
  if (finding.partly) return kOutcomeRefuses;
  if (finding.verdict == kTextAsNamed) return kOutcomeNothing;
  if (finding.verdict == kTextInOtherPage) return kOutcomeConverts;
  const TextVerdict fromOther = finding.asPage[OtherCodePage(target)];
  const bool refused = fromOther != kTextUndecided && fromOther != kTextAsNamed;
  return refused ? kOutcomeRefuses : kOutcomeCannotTell;
}

// Whether a record says the file is where the conversion named would take it: in the
// code page --to names, or in the one the switch converts to.
bool RecordedThere(const FileCheck& check, const Plan& plan) {
  const CodePageId page = check.kind == kKind866 ? kCodePage866 : kCodePage1251;
  if (plan.aim == kAimToPage) return page == plan.target;
  return page != NamedCodePage(plan.direction);
}

// What the conversion named does with the file. A record decides it where it says the
// file is there already; --to goes on with a conversion to its code page that a record
// says was interrupted, or converts a file a record puts in the other one, whatever the
// letters.
Outcome OutcomeOf(const FileCheck& check, const TextFinding& finding, const Plan& plan) {
  if (plan.aim == kAimNone) return kOutcomeNone;
  if (check.kind == kKindAscii || check.kind == kKindEmpty) return kOutcomeNothing;
  if (check.byPelcor && RecordedThere(check, plan)) return kOutcomeNothing;
  if (plan.aim == kAimToPage && ResumedAt(check, plan) == 0 && !check.byPelcor)
    return ToPageOutcome(finding, plan.target);
  return finding.refusal.error != 0 ? kOutcomeRefuses : kOutcomeConverts;
}

// Notes what the file's record says, where the bytes it vouches for are still those it
// hashed: the code page a whole conversion left the file in, or which switch converted
// how many bytes from its start. Reads them through buffer.
void NoteRecord(PlatformHandle file, uint8_t* buffer, FileCheck* check) {
  const FileRecord record = ReadRecord(file);
  if (record.kind == kRecordNone || !RecordHolds(file, record, buffer, kSpanSize)) return;
  check->byPelcor = record.kind == kRecordWhole;
  check->recorded = record.kind == kRecordPart;
  check->recordedBy = DirectionFrom(record.page);
  check->recordedAt = record.converted;
  check->kind = !check->recorded ? (record.page == kCodePage866 ? kKind866 : kKind1251) : kKindPart;
}

FileCheck Unjudged() {
  FileCheck check = {};
  check.kind = kKindUnknown;
  check.language = kLanguages;
  return check;
}

// Judges the count bytes in hand as a whole text; *finding receives what the guard found.
FileCheck CheckInHand(const uint8_t* bytes, uint32_t count, const Plan& plan,
                      TextFinding* finding) {
  FileCheck check = Unjudged();
  *finding = FindInBytes(bytes, count, NamedPage(check, plan));
  Describe(*finding, &check);
  if (count == 0) check.kind = kKindEmpty;
  if (check.kind == kKindUnknown && finding->asPage[kCodePage866] != kTextAsNamed &&
      BytesAscii(bytes, count))
    check.kind = kKindAscii;
  check.outcome = OutcomeOf(check, *finding, plan);
  return check;
}

}  // namespace

bool CheckPasses(const FileCheck& check, const Plan& plan) {
  if (check.failure != 0) return false;
  if (plan.aim != kAimNone)
    return check.outcome == kOutcomeConverts || check.outcome == kOutcomeNothing;
  return check.kind == kKind866 || check.kind == kKind1251 || check.kind == kKindAscii ||
         check.kind == kKindEmpty;
}

FileCheck CheckOpenFile(PlatformHandle file, const Plan& plan, uint8_t* buffer) {
  FileCheck check = Unjudged();
  uint64_t size = 0, modified = 0;
  check.failure = PlatformFileStamp(file, &size, &modified);
  if (check.failure != 0) {
    check.failedAction = kActionReadFile;
    return check;
  }
  NoteRecord(file, buffer, &check);
  const TextFinding finding =
      FindInFile(file, ResumedAt(check, plan), NamedPage(check, plan), buffer);
  Describe(finding, &check);
  if (size == 0) check.kind = kKindEmpty;
  // Only reading every byte tells a text with nothing to convert from one too short to
  // tell.
  if (check.kind == kKindUnknown && finding.asPage[kCodePage866] != kTextAsNamed &&
      AsciiFile(file, buffer, &check))
    check.kind = kKindAscii;
  check.outcome = OutcomeOf(check, finding, plan);
  return check;
}

FileCheck CheckFile(PlatformName name, NameState state, const Plan& plan, uint8_t* buffer) {
  FileCheck check = Unjudged();
  PlatformHandle file = kNoHandle;
  check.failure = state == kNameWhole ? PlatformOpenForReading(name, &file) : NameError(state);
  if (check.failure != 0) {
    check.failedAction = kActionOpenFile;
    return check;
  }
  check = CheckOpenFile(file, plan, buffer);
  PlatformClose(file);  // nothing was written: a failed close loses nothing
  return check;
}

FileCheck CheckBytes(const uint8_t* bytes, uint32_t count, const Plan& plan) {
  TextFinding finding;
  return CheckInHand(bytes, count, plan, &finding);
}

FileCheck CheckStream(PlatformHandle input, const Plan& plan, uint8_t* buffer) {
  uint32_t count = 0;
  PlatformError error = PlatformReadStream(input, buffer, kSpanSize, &count);
  TextFinding finding;
  FileCheck check = CheckInHand(buffer, count, plan, &finding);
  // Text with nothing to convert so far: the rest of the stream tells whether it stays so.
  while (error == 0 && check.kind == kKindAscii && count == kSpanSize) {
    error = PlatformReadStream(input, buffer, kSpanSize, &count);
    if (error != 0 || !BytesAscii(buffer, count)) check.kind = kKindUnknown;
  }
  check.outcome = OutcomeOf(check, finding, plan);
  check.failure = error;
  if (error != 0) check.failedAction = kActionReadFile;
  return check;
}
