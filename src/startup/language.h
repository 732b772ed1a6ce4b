// The message language, chosen once by the user's language settings.
#pragma once

#include <stdint.h>

struct MessageLanguageRecord {
  uint8_t startupText;  // index of the language's first start-up text: 0 Russian, 3 English
};
extern MessageLanguageRecord MessageLanguage;

/// Russian when the user reads Russian, English otherwise; sets every table offset.
void SelectLanguage();
