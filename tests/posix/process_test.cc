// The process services of the POSIX side: the user's language from the message locale.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/platform.h"

namespace {

TEST(PosixLanguage, RussianForRussiaAndKazakhstanByTheMessageLocale) {
  const char* const variables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  struct Case {
    const char* values[3];  // of the variables
    bool russian;
  };
  const Case cases[] = {
      {{nullptr, nullptr, "ru_RU.UTF-8"}, true},
      {{nullptr, nullptr, "kk_KZ"}, true},
      {{nullptr, nullptr, "ru_RU@latin"}, true},
      {{nullptr, nullptr, "de_DE.UTF-8"}, false},
      {{nullptr, nullptr, "C"}, false},
      {{nullptr, nullptr, "ru"}, false},
      {{nullptr, nullptr, "ru_RUS"}, false},
      {{nullptr, nullptr, nullptr}, false},
      // LC_ALL before LC_MESSAGES before LANG; an empty variable does not count.
      {{"ru_RU.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"}, true},
      {{nullptr, "de_DE.UTF-8", "ru_RU.UTF-8"}, false},
      {{"", "", "ru_RU.UTF-8"}, true},
      {{"C", nullptr, "ru_RU.UTF-8"}, false},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < 3; ++i)
      c.values[i] != nullptr ? setenv(variables[i], c.values[i], 1) : unsetenv(variables[i]);
    EXPECT_EQ(PlatformUserReadsRussian(), c.russian) << testing::PrintToString(c.values);
  }
  setenv("LC_ALL", "C.UTF-8", 1);  // as the tests' start set it, for the tests after
}

}  // namespace
