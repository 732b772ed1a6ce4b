// The main flow: command tail, language, banner, usage or conversion.
#pragma once

/// Index of each start-up text within its language's three.
enum StartupTextIndex { kBanner = 0, kUsageLabel = 1, kUsageLine = 2 };

/// The six start-up texts: Russian (cp866) banner, usage label and usage line, then the
/// English ones.
extern const char* const kStartupTexts[6];

/// Runs the tool once; returns the exit code: 0 when every file named was converted whole
/// or only help or the version was asked for, 1 when a file was not, 2 when the command
/// names no file or two different switches.
int ToolMain();
