// The texts of the error report, Russian (cp866) first and English after, and the
// pieces of the report built from the error context.
#pragma once

#include <stdint.h>

/// Entries per language in each table; the English half starts at that index.
inline constexpr int16_t kLabelCount = 6;
inline constexpr int16_t kActionCount = 18;
inline constexpr int16_t kCauseCount = 14;
inline constexpr int16_t kRecommendationCount = 8;

/// Language offsets of the two tables whose offsets are not in the error context.
struct ReportTableOffsets {
  int16_t label;
  int16_t recommendation;
};
extern ReportTableOffsets ReportOffsets;

/// Chooses the language of every report table: Russian or English.
void SetReportLanguage(bool russian);
