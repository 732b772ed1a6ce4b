// The services that the critical-error entry needs from whoever delivers fault events:
// the bytes of the interrupted code, and the end of the task. Nothing in the program
// delivers such events; the platform layer implements these for both targets.
#pragma once

#include <stdint.h>

/// Lets the instruction bytes of code segment selector be read: size bytes at base.
/// Nothing in the program maps code; the platform that delivers a fault event does.
void PlatformMapCode(uint16_t selector, const uint8_t* base, uint32_t size);

/// Copies up to count bytes of code at segment:offset to out; returns how many could be
/// read (0 for a segment that is not mapped). Never reads past the mapped bytes.
uint32_t PlatformReadCode(uint16_t segment, uint16_t offset, uint8_t* out, uint32_t count);

/// The termination service of a fault event: ends task 0 (this process) with the flag
/// word given. The process ends with exit code 0, as on every other way out.
[[noreturn]] void PlatformEndTask(uint16_t task, uint16_t flag);
