// Console output: every text the program shows goes through these operations, as code
// page 866 bytes: what the user asked to see to standard output, reports and questions
// to the error stream.
#pragma once

#include "platform/platform.h"
#include "text/language.h"

/// Where a run's texts go and its answers come from, and the language of its texts, all
/// chosen once at start-up.
struct Console {
  Language language;
  PlatformHandle input;   // the keys that answer reports
  PlatformHandle output;  // the banner, usage, help and version
  PlatformHandle error;   // every report and its question, where the operator sees them
};

/// The console of a run: the user's language, standard output, the keys of standard
/// input, and the reports where the operator who answers them sees them.
Console StandardConsole();

/// The console of a filter, whose standard input and output carry the text: the banner
/// and the reports go to standard error, the keys come from the terminal, where there is
/// one.
Console FilterConsole(Language language);

/// Writes a terminated code page 866 text to the console's output, so that its letters
/// read right whatever code page the console is set to. Failures are ignored.
void WriteText(const Console& console, const char* text);

/// Writes CR then LF to the console's output.
void WriteLineEnd(const Console& console);

/// The same on the error stream, for reports and questions.
void WriteReportText(const Console& console, const char* text);
void WriteReportLineEnd(const Console& console);
