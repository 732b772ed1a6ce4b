// The main flow: command tail, language, banner, usage or conversion.
#pragma once

/// Index of each start-up text within its language's three.
enum StartupTextIndex { kBanner = 0, kUsageLabel = 1, kUsageLine = 2 };

/// The six start-up texts: Russian (cp866) banner, usage label and usage line, then the
/// English ones.
extern const char* const kStartupTexts[6];

/// Runs the tool once; returns 0 on every path.
int ToolMain();
