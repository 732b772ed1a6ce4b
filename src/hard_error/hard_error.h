// The critical-error handler entry: a system-level fault event becomes the usual report,
// and the operator's answer resumes the interrupted code or ends the program. Nothing
// in the program installs it; it is exported for the platform that delivers the event.
// Called without the run's values, it keeps the two it needs: the console the run
// settled on, and the code segment mapped for it.
#pragma once

#include <stdint.h>

#include "errors/console_output.h"
#include "platform/platform.h"

/// The event frame found above the caller's return point, eight 16-bit words in order.
struct HardErrorFrame {
  uint16_t returnOffset;
  uint16_t returnSegment;
  uint16_t savedAccumulator;
  uint16_t kind;
  uint16_t handle;
  uint16_t instructionOffset;
  uint16_t instructionSegment;
  uint16_t flags;
};

/// Results of the decision routine, and the entry's ways out.
enum HardErrorDecision : uint16_t {
  kHardErrorEnd = 0,     // end the program
  kHardErrorResume = 1,  // resume at the frame's (possibly advanced) instruction
  kHardErrorPassOn = 2,  // return to the caller, passing the event on
};

/// Error codes the report shows for each kind of event.
inline constexpr uint16_t kHardErrorCodeStep = 38;  // kinds 1 and 4
inline constexpr uint16_t kHardErrorCodeKind2 = 22;
inline constexpr uint16_t kHardErrorCodeKind3 = 40;
inline constexpr uint16_t kHardErrorCodeOther = 31;
inline constexpr uint8_t kHardErrorCause = 6;           // "system failure"
inline constexpr uint8_t kHardErrorRecommendation = 4;  // "end application"

/// The console the entry reports on and takes its answers from: the run's, once the run
/// has settled it.
void SetHardErrorConsole(const Console& console);

/// Lets the entry read the instruction bytes of code segment selector: size bytes at
/// base, which stay readable until the next call. One segment at a time; whoever delivers
/// fault events maps the one they interrupt (nothing in the program does).
void MapCodeSegment(uint16_t selector, const uint8_t* base, uint32_t size);

/// The bytes an instruction at code takes, as far as stepping over it needs: an
/// optional 0x67 and 0x66 prefix, the operation byte and the operand form. Looks only at
/// the bytes these rules need, and at none from count on: 0 when the rules need a byte
/// beyond the count bytes given.
uint16_t HardErrorInstructionLength(const uint8_t* code, uint32_t count);

/// Reports the event by its kind on the console, asks the operator and decides; advances
/// frame->instructionOffset when the interrupted instruction is to be stepped over.
uint16_t DecideHardError(const Console& console, HardErrorFrame* frame);

/// The exported entry, on the console kept. Resumes by returning kHardErrorResume with the frame
/// updated, passes the event on by returning kHardErrorPassOn, and ends the program (exit code 1:
/// the run was cut off) without returning.
PLATFORM_EXPORT uint16_t winHardErrorHandle(HardErrorFrame* frame);
