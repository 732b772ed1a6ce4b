// The report's tables and the lines built from the error context.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "errors/error_context.h"
#include "errors_test_support.h"

namespace {

// A code page 866 text as UTF-8, by the C library's own converter.
std::string Utf8OfCp866(const char* cp866) {
  iconv_t cd = iconv_open("UTF-8", "CP866");
  std::string in(cp866);
  std::string out(in.size() * 3, '\0');
  char* inPos = in.data();
  size_t inLeft = in.size();
  char* outPos = out.data();
  size_t outLeft = out.size();
  iconv(cd, &inPos, &inLeft, &outPos, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

TEST(ReportTables, RussianTextsAsTheConsoleShowsThem) {
  // Latin letters inside Russian words are written here as Latin letters too.
  const char* const labels[kLabelCount] = {
      "При выполнении операции : ",
      "Возникла ошибка : ",
      "По причине : ",
      "Рекомендации : ",
      "? Игнорировать /I,i,И,и/ Повторить /R,r,П,п/ Отменить /A,a,О,о/ ?",
      "код - %u",
  };
  const char* const actions[kActionCount] = {
      "создание файла %s",
      "создание каталога %s",
      "открытие файла %s",
      "запись файла %s",
      "чтение файла  %s",
      "удаление файла %s",
      "удаление каталога %s",
      "сброс буферов файла %s",
      "закрытие файла %s",
      "переименование файла %s в %s",
      "копирование файла %s в %s",
      "над %s : %u байт, CRC %u; фактически %u, %u",
      "обращение к диску %c:",
      "чтение диска %c: /сторона %u, дорожка %u, сектор %u/%u/",
      "запись диска %c: /сторона %u, дорожка %u, сектор %u/%u/",
      "чтение диска %c: /сектор %u, количество секторов %u/",
      "запись диска %c: /сектор %u, количество секторов %u/",
      "выделение %u байт, доступно %u, мак"
      "c. блок %u ",
  };
  const char* const causes[kCauseCount] = {
      "причина неизвестн"
      "a",
      "не хватает ресурсов (памяти, дескрипторов и т.д.)",
      "временная ситуация (запертый район в файле и т.п.)",
      "проблема санкционирования",
      "сбой системного програмного обеспечения",
      "отказ аппаратного обеспечения выполнить операцию",
      "отказ системного програмного обеспечения",
      "неверные действия прикладной программы",
      "элемент данных не найден",
      "элемент данных недопустимого типа или формат"
      "a",
      "элемент данных заперт",
      "дефект магнитного носителя",
      "объект уже существует",
      "непридусмотренная ошибк"
      "a",
  };
  const char* const recommendations[kRecommendationCount] = {
      "рекомендации  отсутствуют",
      "повторить разумное число раз",
      "повторить разумное число раз с задержками между повторами",
      "предоставить корректную информацию",
      "аккуратно завершить программу",
      "прервать выполнение программы",
      "игнорировать ошибку",
      "повторить после устранения причины",
  };
  for (int i = 0; i < kLabelCount; ++i)
    EXPECT_EQ(Utf8OfCp866(kLabelTexts[i]), labels[i]) << "label " << i;
  for (int i = 0; i < kActionCount; ++i)
    EXPECT_EQ(Utf8OfCp866(kActionTexts[i]), actions[i]) << "action " << i;
  for (int i = 0; i < kCauseCount; ++i)
    EXPECT_EQ(Utf8OfCp866(kCauseTexts[i]), causes[i]) << "cause " << i;
  for (int i = 0; i < kRecommendationCount; ++i)
    EXPECT_EQ(Utf8OfCp866(kRecommendationTexts[i]), recommendations[i]) << "recommendation " << i;
}

TEST(ReportTables, EnglishHalfFollowsTheRussianOne) {
  EXPECT_STREQ(kLabelTexts[kLabelCount], "Action : ");
  EXPECT_STREQ(kLabelTexts[2 * kLabelCount - 1], "code - %u");
  EXPECT_STREQ(kActionTexts[kActionCount], "creating file %s");
  EXPECT_STREQ(kActionTexts[2 * kActionCount - 1],
               "allocate %u bytes, total free %u, max. block %u");
  EXPECT_STREQ(kCauseTexts[kCauseCount], "cause unknown");
  EXPECT_STREQ(kCauseTexts[2 * kCauseCount - 1], "whole error");
  EXPECT_STREQ(kRecommendationTexts[kRecommendationCount], "no reccomendations");
  EXPECT_STREQ(kRecommendationTexts[2 * kRecommendationCount - 1], "repeat when cause discaded");
}

class ReportLineTest : public testing::Test {
 protected:
  void SetUp() override { SetReportLanguage(false); }
  void TearDown() override {
    PlatformSeams.systemMessage = nullptr;
    SetErrorAction(kActionOpenFile, nullptr);
  }
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
