// The main flow: the command, the language, banner, usage or conversion.
#pragma once

#include "platform/platform.h"

/// Runs the tool once on the command; returns the exit code: 0 when every file named was
/// converted whole or only help or the version was asked for, 1 when a file was not, 2
/// when the command names no file or two different switches.
int ToolMain(const PlatformCommand& command);
