// The message language, chosen once from the user's country setting.
#pragma once

#include <stdint.h>

struct MessageLanguageRecord {
  uint8_t startupText;  // index of the language's first start-up text: 0 Russian, 3 English
};
extern MessageLanguageRecord MessageLanguage;

/// The first character of the user's country code as a number (the low byte of its
/// first two bytes with bits 4 and 5 cleared: "7" gives 7, "49" gives 4), or 0 when the
/// system names none.
uint16_t ReadCountryCode();

/// Russian when the country code is 7, English otherwise; sets every table offset.
void SelectLanguage();
