#include "startup/language.h"

#include "errors/report_texts.h"
#include "platform/platform.h"

MessageLanguageRecord MessageLanguage;

uint16_t ReadCountryCode() {
  char data[34];
  if (!PlatformCountryCode(data, sizeof data)) return 0;
  const uint16_t firstTwo =
      static_cast<uint16_t>(static_cast<uint8_t>(data[0]) | (static_cast<uint8_t>(data[1]) << 8));
  return firstTwo & 0x00CF;
}

void SelectLanguage() {
  const bool russian = ReadCountryCode() == 7;
  MessageLanguage.startupText = russian ? 0 : 3;
  SetReportLanguage(russian);
}
