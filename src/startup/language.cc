#include "startup/language.h"

#include "errors/report_texts.h"
#include "platform/platform.h"

MessageLanguageRecord MessageLanguage;

uint16_t ReadCountryCode() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\International", 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS) {
    return 0;
  }
  BYTE data[34] = {};
  DWORD size = sizeof data;
  DWORD type;  // not looked at
  const LSTATUS status = RegQueryValueExA(key, "iCountry", nullptr, &type, data, &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return 0;
  const uint16_t firstTwo = static_cast<uint16_t>(data[0] | (data[1] << 8));
  return firstTwo & 0x00CF;
}

void SelectLanguage() {
  const bool russian = ReadCountryCode() == 7;
  MessageLanguage.startupText = russian ? 0 : 3;
  SetReportLanguage(russian);
}
