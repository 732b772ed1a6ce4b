// The help shown after the usage for --help, -h and /?.
#pragma once

#include "errors/console_output.h"
#include "platform/platform.h"

/// Writes the help lines in the console's language: what each switch means, that the
/// file is converted in place, several names and what Abort does with them where the
/// system hands over arguments, when the guard refuses a text and how to convert it
/// anyway, an interrupted run, the exit status and where to read more.
void WriteHelp(const Console& console, CommandForm form);
