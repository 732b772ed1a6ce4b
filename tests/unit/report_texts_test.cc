// The report's tables and the lines built from the error context.
#include <gtest/gtest.h>

#include <string>

#include "errors/error_context.h"
#include "errors_test_support.h"
#include "process_records.h"
#include "text/strings.h"

namespace {

bool IsCp866Letter(uint8_t c) {
  return (c >= 0x80 && c <= 0xAF) || (c >= 0xE0 && c <= 0xF1);
}
bool IsLatinLetter(uint8_t c) {
  return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// Where a Latin letter touches a Cyrillic one in a Russian text: the index of the Latin
// letter, or -1.
int MixedLetter(const char* text) {
  for (int i = 0; text[i] != 0 && text[i + 1] != 0; ++i) {
    const uint8_t a = static_cast<uint8_t>(text[i]);
    const uint8_t b = static_cast<uint8_t>(text[i + 1]);
    if (IsLatinLetter(a) && IsCp866Letter(b)) return i;
    if (IsCp866Letter(a) && IsLatinLetter(b)) return i + 1;
  }
  return -1;
}

TEST(ReportTables, LatinLettersInRussianTextsOnlyWhereNoted) {
  // Cause 0, 9 and 13 end with a Latin a; action 17 has a Latin c in its word "макc.".
  const struct {
    const char* text;
    int latinAt;
  } noted[] = {
      {kCauseTexts[0], 17},
      {kCauseTexts[9], 44},
      {kCauseTexts[13], 23},
      {kActionTexts[17], 35},
  };
  for (const auto& entry : noted) {
    EXPECT_EQ(MixedLetter(entry.text), entry.latinAt) << entry.text;
    EXPECT_EQ(entry.text[entry.latinAt], entry.latinAt == 35 ? 'c' : 'a');
  }
  EXPECT_EQ(kActionTexts[17][StrLength(kActionTexts[17]) - 1], ' ');

  int mixed = 0;
  for (const char* text : kLabelTexts)
    mixed += MixedLetter(text) >= 0;
  for (const char* text : kActionTexts)
    mixed += MixedLetter(text) >= 0;
  for (const char* text : kCauseTexts)
    mixed += MixedLetter(text) >= 0;
  for (const char* text : kRecommendationTexts)
    mixed += MixedLetter(text) >= 0;
  EXPECT_EQ(mixed, 4);
}

class ReportLineTest : public testing::Test {
 protected:
  void SetUp() override { SetReportLanguage(false); }
  KeepProcessRecords records_;
};

TEST_F(ReportLineTest, LongFileNameIsCutAt124Characters) {
  const std::string name(500, 'n');
  FormatSlot arguments[1];
  arguments[0].text = name.c_str();
  StoreErrorWord(2);
  const char* error = SystemErrorText();
  const std::string errorBefore = error;

  SetErrorAction(kActionOpenFile, arguments);
  const std::string action = ActionText();
  ASSERT_EQ(action.size(), 124u);
  EXPECT_EQ(action, "opening file " + name.substr(0, 124 - 13));
  // Nothing around the buffer is touched (the sanitizer build checks every byte).
  EXPECT_EQ(std::string(error), errorBefore);
  EXPECT_EQ(ReportOffsets.label, kLabelCount);
  EXPECT_EQ(ReportOffsets.recommendation, kRecommendationCount);

  SetErrorAction(kActionReadFile, arguments);
  ReportLanguage russian(true);
  EXPECT_EQ(std::string(ActionText()).size(), 124u);
}

TEST_F(ReportLineTest, NameThatFitsIsShownWhole) {
  const std::string name(124 - 13, 'n');
  FormatSlot arguments[1];
  arguments[0].text = name.c_str();
  SetErrorAction(kActionOpenFile, arguments);
  EXPECT_EQ(std::string(ActionText()), "opening file " + name);
}

TEST_F(ReportLineTest, ActionWithoutArgumentListShowsEmptyPlaces) {
  SetErrorAction(11, nullptr);
  EXPECT_STREQ(ActionText(), "on  : 0 bytes, CRC 0; actualy 0, 0");
}

const WCHAR* MessageWithBlankBeforeStop(DWORD) {
  return u"  Access is denied .\r\n";
}
const WCHAR* CyrillicMessage(DWORD) {
  return u"\r\nЁлка не найдена.";
}
const WCHAR* LongMessage(DWORD) {
  static std::u16string text = u"X" + std::u16string(200, u'y') + u".\r\n";
  return text.c_str();
}
const WCHAR* NoMessage(DWORD) {
  return nullptr;
}
const WCHAR* OnlyStop(DWORD) {
  return u" .\r\n";
}

TEST_F(ReportLineTest, SystemTextIsTrimmedAndLowered) {
  StoreErrorWord(5);
  PlatformSeams.systemMessage = MessageWithBlankBeforeStop;
  EXPECT_STREQ(SystemErrorText(), "access is denied ");  // the blank before "." stays

  // Lower case in code page 1251 first, then code page 866: Ё becomes ё (0xF1).
  PlatformSeams.systemMessage = CyrillicMessage;
  EXPECT_STREQ(SystemErrorText(), "\xF1\xAB\xAA\xA0 \xAD\xA5 \xAD\xA0\xA9\xA4\xA5\xAD\xA0");

  PlatformSeams.systemMessage = OnlyStop;
  EXPECT_STREQ(SystemErrorText(), "");
}

TEST_F(ReportLineTest, LongSystemTextIsCutToTheBuffer) {
  PlatformSeams.systemMessage = LongMessage;
  const std::string text = SystemErrorText();
  EXPECT_EQ(text, "x" + std::string(kSystemErrorTextSize - 2, 'y'));
}

TEST_F(ReportLineTest, NumberWithoutSystemTextShowsAsCode) {
  PlatformSeams.systemMessage = NoMessage;
  StoreErrorWord(60000);
  EXPECT_STREQ(SystemErrorText(), "code - 60000");
  ReportLanguage russian(true);
  EXPECT_STREQ(SystemErrorText(), "\xAA\xAE\xA4 - 60000");  // код
}

TEST_F(ReportLineTest, LibraryTextWhenNoneIsPlanned) {
  StoreErrorWord(2);
  EXPECT_STREQ(SystemErrorText(), "no such file or directory");
  StoreErrorWord(65000);  // no C library has a text for it
  EXPECT_STREQ(SystemErrorText(), "code - 65000");
}

}  // namespace
