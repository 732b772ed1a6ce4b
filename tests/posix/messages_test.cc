// The system's error texts, in code page 866 ready to show.
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
               "\x8D\xA5\xE2 \xE2\xA0\xAA\xAE\xA3\xAE \xE4\xA0\xA9\xAB\xA0 \xA8\xAB\xA8 "
               "\xAA\xA0\xE2\xA0\xAB\xAE\xA3\xA0");  // Нет такого файла или каталога
}

}  // namespace
