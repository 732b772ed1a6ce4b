// The system's error texts and the code page conversions that bring them to the
// console, in the POSIX layer.
#include <gtest/gtest.h>

#include <string>

#include "errors_test_support.h"
#include "process_records.h"

namespace {

TEST(MultiByteToWideChar, CountsAndBufferSizes) {
  WCHAR wide[8];
  // -1: the text with its terminator.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab\xC0", -1, wide, 8), 4);
  EXPECT_EQ(std::u16string(wide), u"abА");
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab\xC0", 3, nullptr, 0), 3);  // the size needed
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab\xC0", -1, nullptr, 0), 4);

  wide[2] = u'#';
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(wide[0], u'a');  // what fits is written, and nothing past it
  EXPECT_EQ(wide[2], u'#');

  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, wide, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(65001, 0, "abc", 3, wide, 8), 0);
}

TEST(MultiByteToWideChar, EveryByteOfBothCodePages) {
  for (int i = 1; i < 256; ++i) {
    const char byte[2] = {static_cast<char>(i), 0};
    WCHAR ansi[2] = {};
    WCHAR oem[2] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, byte, -1, ansi, 2), 2) << i;
    ASSERT_EQ(MultiByteToWideChar(CP_OEMCP, 0, byte, -1, oem, 2), 2) << i;
    // 0x98 is the one byte that code page 1251 leaves unassigned.
    if (i == 0x98) {
      EXPECT_EQ(ansi[0], 0xFFFD);
    } else {
      EXPECT_NE(ansi[0], 0xFFFD) << i;
      // Each character goes back to the byte it came from.
      char back[2] = {};
      EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, ansi, -1, back, 2, nullptr, nullptr), 2) << i;
      EXPECT_EQ(static_cast<uint8_t>(back[0]), i);
    }
    char back[2] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_OEMCP, 0, oem, -1, back, 2, nullptr, nullptr), 2) << i;
    EXPECT_EQ(static_cast<uint8_t>(back[0]), i);
  }
  WCHAR wide[4];
  MultiByteToWideChar(CP_ACP, 0, "\xA8\xB8\xB9", 3, wide, 4);
  EXPECT_EQ(std::u16string(wide, 3), u"Ёё№");
  MultiByteToWideChar(CP_OEMCP, 0, "\xF0\xF1\xFC", 3, wide, 4);
  EXPECT_EQ(std::u16string(wide, 3), u"Ёё№");
}

TEST(WideCharToMultiByte, CountsBufferSizesAndDefaults) {
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"Яz", -1, out, 8, nullptr, nullptr), 3);
  EXPECT_STREQ(out, "\xDFz");
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"Яz", -1, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"Яz", 1, nullptr, 0, nullptr, nullptr), 1);

  memset(out, '#', sizeof out);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abcdef", -1, out, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(out, 5), "abcd#");

  // What the code page lacks becomes the default character, and a surrogate pair is one.
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_OEMCP, 0, u"—\U0001F600x", -1, out, 8, nullptr, &used), 4);
  EXPECT_STREQ(out, "??x");
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\xD800x", -1, out, 8, "*", &used), 3);
  EXPECT_STREQ(out, "*x");
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"plain", -1, out, 8, nullptr, &used), 6);
  EXPECT_FALSE(used);
}

TEST(CharToOemA, AnsiToOemInPlaceOrApart) {
  char text[] = "a\xC0\xFF\xA8\xB8\xB9\x97.";  // aАяЁё№—.
  char apart[sizeof text];
  EXPECT_TRUE(CharToOemA(text, apart));
  EXPECT_STREQ(apart, "a\x80\xEF\xF0\xF1\xFC?.");
  EXPECT_TRUE(CharToOemA(text, text));
  EXPECT_STREQ(text, apart);
  char empty[] = "";
  EXPECT_TRUE(CharToOemA(empty, empty));
  EXPECT_STREQ(empty, "");
}

const WCHAR* Planned(DWORD number) {
  return number == 7 ? u"Seven." : nullptr;
}

TEST(FormatMessageW, SystemTextsAndTheirBuffers) {
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  LPWSTR allocated = nullptr;
  const DWORD length = FormatMessageW(flags | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, 2, 1024,
                                      reinterpret_cast<LPWSTR>(&allocated), 0, nullptr);
  ASSERT_NE(allocated, nullptr);
  EXPECT_EQ(std::u16string(allocated), u"No such file or directory");
  EXPECT_EQ(length, 25u);
  LocalFree(allocated);

  WCHAR small[26];
  EXPECT_EQ(FormatMessageW(flags, nullptr, 2, 1024, small, 26, nullptr), 25u);
  EXPECT_EQ(FormatMessageW(flags, nullptr, 2, 1024, small, 25, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  EXPECT_EQ(FormatMessageW(flags, nullptr, 65000, 1024, small, 26, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));

  KeepProcessRecords records;
  PlatformSeams.systemMessage = Planned;
  EXPECT_EQ(FormatMessageW(flags, nullptr, 7, 1024, small, 26, nullptr), 6u);
  EXPECT_EQ(std::u16string(small), u"Seven.");
  EXPECT_EQ(FormatMessageW(flags, nullptr, 2, 1024, small, 26, nullptr), 0u);
}

}  // namespace
