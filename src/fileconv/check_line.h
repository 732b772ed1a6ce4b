// The lines that say what a file is: --check's line on standard output, and the line
// on standard error of a file that --to leaves as it is.
#pragma once

#include "errors/console_output.h"
#include "fileconv/file_check.h"
#include "fileconv/plan.h"
#include "platform/platform.h"

/// Writes the check's line of the named file to output, fields separated by tabs: its
/// kind, a word for scripts; its name as the system spells it; what its text and its
/// record say, in the console's language; and, where the command names a conversion,
/// what that would do. A file that could not be read gets its failure instead.
void WriteCheckLine(const Console& console, PlatformHandle output, PlatformName name,
                    const FileCheck& check, const Plan& plan);

/// Says on standard error why --to leaves the file whose name shows as shown: it is in
/// the target code page already, has nothing to convert, or cannot be told.
void SayLeft(Language language, const char* shown, const FileCheck& check, CodePageId target);
