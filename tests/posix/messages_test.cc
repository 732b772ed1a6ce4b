// The system's error texts in code page 1251, and code page 1251 in the console's 866.
#include <errno.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <string.h>

#include <string>

#include "platform/platform.h"

namespace {

TEST(PosixErrorText, TheLibrarysTextCutToTheBuffer) {
  struct Case {
    PlatformError number;
    uint32_t size;
    const char* text;  // nullptr: none
  };
  const Case cases[] = {
      {ENOENT, 64, "No such file or directory"},
      {ENOENT, 8, "No such"},
      {ENOENT, 1, ""},
      {5000, 64, nullptr},
      {0x80000002, 64, nullptr},
  };
  for (const Case& c : cases) {
    char out[65];
    memset(out, '#', sizeof out);
    EXPECT_EQ(PlatformErrorText(c.number, out, c.size), c.text != nullptr) << c.number;
    EXPECT_STREQ(c.text != nullptr ? out : nullptr, c.text) << c.number;
    EXPECT_EQ(out[c.size], '#') << c.number;  // nothing past the buffer
  }

  // In the user's language, where the C library has it.
  const std::string saved = setlocale(LC_MESSAGES, nullptr);
  const bool russian = setlocale(LC_MESSAGES, "ru_RU.UTF-8") != nullptr &&
                       strcmp(strerror(ENOENT), "No such file or directory") != 0;
  char out[64] = "";
  const bool found = russian && PlatformErrorText(ENOENT, out, sizeof out);
  setlocale(LC_MESSAGES, saved.c_str());
  if (!russian) GTEST_SKIP() << "no Russian messages of the C library";
  EXPECT_TRUE(found);
  EXPECT_STREQ(out,
               "\xCD\xE5\xF2 \xF2\xE0\xEA\xEE\xE3\xEE \xF4\xE0\xE9\xEB\xE0 \xE8\xEB\xE8 "
               "\xEA\xE0\xF2\xE0\xEB\xEE\xE3\xE0");  // Нет такого файла или каталога
}

TEST(PosixToConsoleCodePage, LettersSignsAndWhatTheCodePageLacks) {
  // A whole text, apart and in place.
  char text[] = "a\xC0\xFF\xA8\xB8\xB9\x97\x98.";  // aАяЁё№— and the unassigned byte
  char apart[sizeof text];
  PlatformToConsoleCodePage(text, apart);
  PlatformToConsoleCodePage(text, text);
  EXPECT_STREQ(apart, "a\x80\xEF\xF0\xF1\xFC??.");
  EXPECT_STREQ(text, apart);
}

}  // namespace
