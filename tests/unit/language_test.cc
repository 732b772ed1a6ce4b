#include "startup/language.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "errors/report_texts.h"
#include "process_records.h"

namespace {

// The variables that name the message locale, in the order they are looked at.
const char* const kLocaleVariables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

// Sets the locale variables for one test and puts the process's own values back after it.
class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) {
      const char* value = getenv(kLocaleVariables[i]);
      if (value != nullptr) saved_[i] = value;
    }
  }
  void TearDown() override {
    for (int i = 0; i < 3; ++i)
      SetVariable(kLocaleVariables[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
  static void SetVariable(const char* name, const char* value) {
    if (value == nullptr) {
      unsetenv(name);
    } else {
      setenv(name, value, 1);
    }
  }
  std::optional<std::string> saved_[3];
  KeepProcessRecords records_;  // the language chosen here
};

TEST_F(LanguageTest, CountryCodeAndLanguageFollowTheMessageLocale) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    uint16_t code;
  };
  const Case cases[] = {
      {nullptr, nullptr, "ru_RU.UTF-8", 7},
      {nullptr, nullptr, "kk_KZ", 7},
      {nullptr, nullptr, "de_DE.UTF-8", 4},  // "49": only the first character counts
      {nullptr, nullptr, "en_US", 1},
      {nullptr, nullptr, "uk_UA", 3},  // "380"
      {nullptr, nullptr, "sr_RS@latin", 3},
      {nullptr, nullptr, "C", 0},  // no territory: the value is missing
      {nullptr, nullptr, "POSIX", 0},
      {nullptr, nullptr, "ru", 0},
      {nullptr, nullptr, nullptr, 0},
      // LC_ALL before LC_MESSAGES before LANG; an empty variable does not count.
      {"ru_RU.UTF-8", "en_US.UTF-8", "de_DE.UTF-8", 7},
      {nullptr, "de_DE.UTF-8", "ru_RU.UTF-8", 4},
      {"", "", "ru_RU.UTF-8", 7},
      {"C", nullptr, "ru_RU.UTF-8", 0},
  };
  for (const Case& c : cases) {
    SetVariable("LC_ALL", c.lcAll);
    SetVariable("LC_MESSAGES", c.lcMessages);
    SetVariable("LANG", c.lang);
    const std::string where = std::string("LC_ALL=") + (c.lcAll ? c.lcAll : "(unset)") +
                              " LC_MESSAGES=" + (c.lcMessages ? c.lcMessages : "(unset)") +
                              " LANG=" + (c.lang ? c.lang : "(unset)");
    EXPECT_EQ(ReadCountryCode(), c.code) << where;

    SelectLanguage();
    const bool russian = c.code == 7;
    EXPECT_EQ(MessageLanguage.startupText, russian ? 0 : 3) << where;
    EXPECT_EQ(ReportOffsets.label, russian ? 0 : kLabelCount) << where;
  }
}

}  // namespace
