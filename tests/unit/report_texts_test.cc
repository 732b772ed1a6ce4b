// The report's tables and the lines built from a report.
#include <gtest/gtest.h>

#include <string>

#include "codepage/cp866_literal.h"
#include "errors/error_context.h"
#include "errors/report_lines.h"
#include "errors_test_support.h"
#include "recode.h"
#include "text/formatter.h"
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
  // Only action 17 mixes the alphabets: a Latin c in its word "макc.".
  const char* const allocate = kActionTexts[17].russian;
  EXPECT_EQ(MixedLetter(allocate), 35);
  EXPECT_EQ(allocate[35], 'c');
  EXPECT_EQ(allocate[StrLength(allocate) - 1], ' ');

  int mixed = 0;
  for (const TextPair& text : kLabelTexts)
    mixed += MixedLetter(text.russian) >= 0;
  for (const TextPair& text : kActionTexts)
    mixed += MixedLetter(text.russian) >= 0;
  for (const TextPair& text : kCauseTexts)
    mixed += MixedLetter(text.russian) >= 0;
  for (const TextPair& text : kRecommendationTexts)
    mixed += MixedLetter(text.russian) >= 0;
  EXPECT_EQ(mixed, 1);
}

class ReportLineTest : public FakeDoorTest {};

TEST_F(ReportLineTest, TheUsersLanguageChoosesEveryText) {
  // The report's labels and its prompt, in the language of the user's settings.
  static constexpr Cp866Literal kRussianAction = u8"При выполнении операции : ";
  for (bool russian : {true, false, true}) {
    FakePlatformReset();
    FakePlatform.readsRussian = russian;
    FakePlanKeys(u"a");
    ShowErrorReport(StandardConsole(), {kActionOpenFile, nullptr, 2, 0, 0});
    ASSERT_EQ(FakePlatform.console.size(), 14u) << russian;
    EXPECT_EQ(FakePlatform.console[1], russian ? std::string(kRussianAction) : "Action : ");
  }
}

TEST_F(ReportLineTest, LongFileNameIsCutAt124Characters) {
  const std::string name(500, 'n');
  FormatSlot arguments[1];
  arguments[0].text = name.c_str();
  FakePlatform.errorTexts[2] = "No such file.";
  ReportLines lines;
  const ErrorReport report = {kActionOpenFile, arguments, 2, 0, 0};
  const std::string errorBefore = SystemErrorText(kEnglish, report, &lines);

  const std::string action = ActionText(kEnglish, report, &lines);
  ASSERT_EQ(action.size(), 124u);
  EXPECT_EQ(action, "opening file " + name.substr(0, 124 - 13));
  // Nothing around the buffer is touched (the sanitizer build checks every byte).
  EXPECT_EQ(std::string(lines.error), errorBefore);

  const ErrorReport read = {kActionReadFile, arguments, 2, 0, 0};
  EXPECT_EQ(std::string(ActionText(kRussian, read, &lines)).size(), 124u);
}

TEST_F(ReportLineTest, NameThatFitsIsShownWhole) {
  const std::string name(124 - 13, 'n');
  FormatSlot arguments[1];
  arguments[0].text = name.c_str();
  ReportLines lines;
  EXPECT_EQ(std::string(ActionText(kEnglish, {kActionOpenFile, arguments, 0, 0, 0}, &lines)),
            "opening file " + name);
}

TEST_F(ReportLineTest, ActionWithoutArgumentListShowsEmptyPlaces) {
  ReportLines lines;
  EXPECT_STREQ(ActionText(kEnglish, {11, nullptr, 0, 0, 0}, &lines),
               "on  : 0 bytes, CRC 0; actually 0, 0");
}

TEST_F(ReportLineTest, SystemTextIsTrimmedStoppedAndLowered) {
  const std::string longText = "X" + std::string(200, 'y') + ".\r\n";
  struct Case {
    const char* text;  // code page 1251; nullptr: the system has none
    bool russian;
    std::string shown;  // code page 866
    uint16_t number = 60000;
  };
  const Case cases[] = {
      {"  Access is denied .\r\n", false, "access is denied "},  // the blank before "." stays
      {"Stops..\r\n", false, "stops."},                          // one full stop goes
      {" .\r\n", false, ""},
      // Lower case in code page 1251 first, then code page 866: Ёлка не найдена.
      {"\r\n\xA8\xEB\xEA\xE0 \xED\xE5 \xED\xE0\xE9\xE4\xE5\xED\xE0.", false,
       "\xF1\xAB\xAA\xA0 \xAD\xA5 \xAD\xA0\xA9\xA4\xA5\xAD\xA0"},
      // A text too long is cut to the buffer, stop and all.
      {longText.c_str(), false, "x" + std::string(kSystemErrorTextSize - 2, 'y')},
      {nullptr, false, "code - 60000"},
      {nullptr, true, "\xAA\xAE\xA4 - 60000"},  // код
      // Pelcor's own numbers take its own texts as they stand, whatever the system says.
      {"System text.", false, "the text is in UTF-8, not in code page 866", kErrorUtf8Not866},
      {nullptr, true,
       "\xE2\xA5\xAA\xE1\xE2 \xA2 UTF-8, \xA0 \xAD\xA5 \xA2 \xAA\xAE\xA4\xAE\xA2\xAE\xA9 "
       "\xE1\xE2\xE0\xA0\xAD\xA8\xE6\xA5 866",  // текст в UTF-8, а не в кодовой странице
       kErrorUtf8Not866},
      {nullptr, false, "code - 65535", 0xFFFF},
      {nullptr, false, "not a regular file: a device", kErrorNameIsDevice},
  };
  for (const Case& c : cases) {
    FakePlatformReset();
    if (c.text != nullptr) FakePlatform.errorTexts[c.number] = c.text;
    ReportLines lines;
    const ErrorReport report = {kActionOpenFile, nullptr, c.number, 0, 0};
    EXPECT_EQ(SystemErrorText(c.russian ? kRussian : kEnglish, report, &lines), c.shown) << c.shown;
  }
}

TEST_F(ReportLineTest, CountsOfBytesConvertedReadRight) {
  struct Row {
    uint64_t count;
    const char* russian;  // UTF-8, after "от начала файла"
    const char* english;  // before "from the start of the file"
  };
  const Row rows[] = {
      {0, "перекодировано 0 байт", "0 bytes"},
      {1, "перекодирован 1 байт", "1 byte"},
      {2, "перекодировано 2 байта", "2 bytes"},
      {4, "перекодировано 4 байта", "4 bytes"},
      {5, "перекодировано 5 байт", "5 bytes"},
      {11, "перекодировано 11 байт", "11 bytes"},
      {12, "перекодировано 12 байт", "12 bytes"},
      {14, "перекодировано 14 байт", "14 bytes"},
      {21, "перекодирован 21 байт", "21 bytes"},
      {22, "перекодировано 22 байта", "22 bytes"},
      {111, "перекодировано 111 байт", "111 bytes"},
      {112, "перекодировано 112 байт", "112 bytes"},
      {1001, "перекодирован 1001 байт", "1001 bytes"},
      {44826624, "перекодировано 44826624 байта", "44826624 bytes"},
  };
  for (const Row& row : rows) {
    char digits[21];
    CountToText(row.count, digits);
    FormatSlot slot[1];
    slot[0].text = digits;
    char words[96];
    FormatMessageTextMax(words, sizeof words, ConvertedCountText(kRussian, row.count), slot);
    EXPECT_EQ(words, Recode(std::string("от начала файла ") + row.russian, "CP866"));
    FormatMessageTextMax(words, sizeof words, ConvertedCountText(kEnglish, row.count), slot);
    EXPECT_EQ(std::string(words).find(std::string(row.english) + " from the start"), 0u) << words;
  }
}

}  // namespace
