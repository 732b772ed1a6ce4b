// Process entry and exit.
#pragma once

#include <stdint.h>

/// The entry routine: takes the console handles, runs ToolMain and ends the process
/// with its exit code.
[[noreturn]] void ProcessEntry();

/// Ends the process from any depth with the given 8-bit exit code.
[[noreturn]] void ExitProgram(uint8_t code);
