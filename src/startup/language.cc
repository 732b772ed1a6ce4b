#include "startup/language.h"

#include "errors/report_texts.h"
#include "platform/platform.h"

MessageLanguageRecord MessageLanguage;

void SelectLanguage() {
  const bool russian = PlatformUserReadsRussian();
  MessageLanguage.startupText = russian ? 0 : 3;
  SetReportLanguage(russian);
}
