#include "hard_error/hard_error.h"

#include "errors/error_context.h"
#include "platform/platform.h"

namespace {

struct CodeSegment {
  uint16_t selector;
  const uint8_t* base;
  uint32_t size;
};

// What the entry finds without an argument.
CodeSegment MappedCode;
Console EntryConsole;

// Copies up to count bytes of code at segment:offset to out; returns how many could be
// read (0 for a segment that is not mapped). Never reads past the mapped bytes.
uint32_t ReadCode(uint16_t segment, uint16_t offset, uint8_t* out, uint32_t count) {
  if (MappedCode.base == nullptr || segment != MappedCode.selector || offset >= MappedCode.size) {
    return 0;
  }
  const uint32_t available = MappedCode.size - offset;
  const uint32_t n = count < available ? count : available;
  for (uint32_t i = 0; i < n; ++i)
    out[i] = MappedCode.base[offset + i];
  return n;
}

// The termination service of a fault event: ends the task (only this process can be)
// whatever the flag word says.
[[noreturn]] void EndTask(uint16_t task, uint16_t flag) {
  (void)task;
  (void)flag;
  PlatformExit(1);  // the run was cut off
}

}  // namespace

void SetHardErrorConsole(const Console& console) {
  EntryConsole = console;
}

void MapCodeSegment(uint16_t selector, const uint8_t* base, uint32_t size) {
  MappedCode = {selector, base, size};
}

uint16_t HardErrorInstructionLength(const uint8_t* code, uint32_t count) {
  // Operand-form lengths by the mod field; the entry for mod 2 depends on the address
  // size: a 0x67 prefix makes its displacement four bytes wide.
  uint8_t lengths[4] = {2, 3, 4, 2};
  uint16_t at = 0;
  if (count <= at) return 0;
  if (code[at] == 0x67) {
    ++at;
    lengths[2] = 6;
  }
  if (count <= at) return 0;
  if (code[at] == 0x66) ++at;
  if (count <= at + 1u) return 0;
  const uint8_t form = code[at + 1] & 0xC7;
  if ((form & 0x07) == 4) ++at;  // a scale-index byte follows
  at = static_cast<uint16_t>(at + (form == 6 || form == 7 ? 4 : lengths[form >> 6]));
  return at;
}

namespace {

// Steps the frame over the interrupted instruction; false when a byte that its length
// depends on cannot be read. The bytes are read one at a time, only as far as the length
// rules look: a short instruction at the end of its segment is read no further than its
// end, and no read wraps from the last offset of the segment to its start.
bool StepOverInstruction(HardErrorFrame* frame) {
  uint8_t code[4] = {};
  uint32_t count = 0;
  uint16_t length;
  while ((length = HardErrorInstructionLength(code, count)) == 0) {
    const uint32_t offset = frame->instructionOffset + count;
    if (count == sizeof code || offset > UINT16_MAX ||
        ReadCode(frame->instructionSegment, static_cast<uint16_t>(offset), &code[count], 1) != 1) {
      return false;
    }
    ++count;
  }
  // The offset is a 16-bit word and wraps as one.
  frame->instructionOffset = static_cast<uint16_t>(frame->instructionOffset + length);
  return true;
}

// The report of an event shows no action of its own: the entry cannot tell what the
// program was doing.
AnswerCode Report(const Console& console, uint16_t code) {
  return ShowErrorReport(
      console, {kActionCreateFile, nullptr, code, kHardErrorCause, kHardErrorRecommendation});
}

uint16_t ResumeOnlyOnRepeat(uint16_t answer) {
  return answer == kAnswerRepeat ? kHardErrorResume : kHardErrorEnd;
}

}  // namespace

uint16_t DecideHardError(const Console& console, HardErrorFrame* frame) {
  switch (frame->kind) {
    case 1:
    case 4: {
      if (Report(console, kHardErrorCodeStep) == kAnswerAbort) return kHardErrorEnd;
      // Ignore and Repeat both go on after the instruction. Code that cannot be read
      // cannot be stepped over: resuming anywhere else would run the wrong bytes.
      return StepOverInstruction(frame) ? kHardErrorResume : kHardErrorEnd;
    }
    case 2:
      return ResumeOnlyOnRepeat(Report(console, kHardErrorCodeKind2));
    case 3:
      return ResumeOnlyOnRepeat(Report(console, kHardErrorCodeKind3));
    case 6:
      return kHardErrorResume;
    case 36:
      return ResumeOnlyOnRepeat(
          ReportSystemError(console, kActionCreateFile, nullptr, PlatformLastError()));
    default:
      return ResumeOnlyOnRepeat(Report(console, kHardErrorCodeOther));
  }
}

uint16_t winHardErrorHandle(HardErrorFrame* frame) {
  // The machine context needs no saving here: the compiler keeps the caller's registers.
  const uint16_t decision = DecideHardError(EntryConsole, frame);
  if (decision == kHardErrorEnd) EndTask(0, 1);
  return decision == kHardErrorResume ? kHardErrorResume : kHardErrorPassOn;
}
