#include "errors/report_texts.h"

#include "errors/error_context.h"

ReportTableOffsets ReportOffsets;

void SetReportLanguage(bool russian) {
  ReportOffsets.label = russian ? 0 : kLabelCount;
  ReportOffsets.recommendation = russian ? 0 : kRecommendationCount;
  ErrorContext.actionOffset = russian ? 0 : kActionCount;
  ErrorContext.causeOffset = russian ? 0 : kCauseCount;
}
