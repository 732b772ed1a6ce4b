// Code segments as fault events name them, for the critical-error entry. Both targets
// run flat code, so one implementation serves them: a segment is readable only once
// whoever delivers the events has mapped it, and the task ends through the platform's
// own exit.
#include "platform/platform.h"

namespace {

struct CodeSegment {
  uint16_t selector;
  const uint8_t* base;
  uint32_t size;
} mappedCode;

}  // namespace

void PlatformMapCode(uint16_t selector, const uint8_t* base, uint32_t size) {
  mappedCode = {selector, base, size};
}

uint32_t PlatformReadCode(uint16_t segment, uint16_t offset, uint8_t* out, uint32_t count) {
  if (mappedCode.base == nullptr || segment != mappedCode.selector || offset >= mappedCode.size) {
    return 0;
  }
  const uint32_t available = mappedCode.size - offset;
  const uint32_t n = count < available ? count : available;
  for (uint32_t i = 0; i < n; ++i)
    out[i] = mappedCode.base[offset + i];
  return n;
}

void PlatformEndTask(uint16_t task, uint16_t flag) {
  (void)task;  // only the current task can be ended
  (void)flag;
  PlatformExit(1);  // the run was cut off, whatever the flag says
}
