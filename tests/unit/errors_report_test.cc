// The whole error report as the console receives it, and the answers it returns.
#include <gtest/gtest.h>
#include <iconv.h>

#include "errors/error_context.h"
#include "errors_test_support.h"

namespace {

// The bytes of a UTF-8 text in a code page, by the C library's own converter.
std::string Encoded(const char* codePage, const std::string& utf8) {
  iconv_t cd = iconv_open(codePage, "UTF-8");
  std::string out(utf8.size(), '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* outPos = out.data();
  size_t outLeft = out.size();
  iconv(cd, &in, &inLeft, &outPos, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

std::string Cp866(const std::string& utf8) {
  return Encoded("CP866", utf8);
}

class ErrorReportTest : public FakeDoorTest {
 protected:
  void SetUp() override {
    arguments_[0].text = "a.txt";
    ErrorContext.answer = kAnswerNone;
  }
  std::vector<std::string>& pieces = FakePlatform.console;
  FormatSlot arguments_[1];
};

TEST_F(ErrorReportTest, EnglishReportForAFailedOpenPieceByPiece) {
  FakePlanKeys(u"a");
  FakePlatform.errorTexts[2] = "No such file or directory.\r\n";
  SetErrorAction(kActionOpenFile, arguments_);
  PlatformSetLastError(2);
  EXPECT_EQ(ReportSystemError(), kAnswerAbort);
  const std::vector<std::string> expected = {
      "\r\n",
      "Action : ",
      "opening file a.txt",
      "\r\n",
      "Error : ",
      "no such file or directory",  // trimmed, first letter lower case
      "\r\n",
      "Cause : ",
      "cause unknown",
      "\r\n",
      "Recommendations : ",
      "no recommendations",
      "\r\n",
      "? Ignore /I/ Repeat /R/ Abort /A/ ?",  // and no line end after it
  };
  EXPECT_EQ(pieces, expected);
  EXPECT_EQ(ErrorContext.answer, kAnswerAbort);
}

TEST_F(ErrorReportTest, RussianReportForAFailedReadInCodePage866) {
  SetReportLanguage(true);
  FakePlanKeys(u"п");
  FakePlatform.errorTexts[13] = Encoded("CP1251", "Отказано в доступе.\r\n");
  SetErrorAction(kActionReadFile, arguments_);
  PlatformSetLastError(13);
  EXPECT_EQ(ReportSystemError(), kAnswerRepeat);
  const std::string expected =
      "\r\n" + Cp866("При выполнении операции : чтение файла  a.txt") + "\r\n" +
      Cp866("Возникла ошибка : отказано в доступе") + "\r\n" +
      Cp866("По причине : причина неизвестна") + "\r\n" +
      Cp866("Рекомендации : рекомендации отсутствуют") + "\r\n" +
      Cp866("? Игнорировать /I,i,И,и/ Повторить /R,r,П,п/ Отменить /A,a,О,о/ ?");
  EXPECT_EQ(FakeConsoleText(), expected);
}

TEST_F(ErrorReportTest, NumbersPastTheTablesShowAsCodes) {
  FakePlanKeys(u"ii");
  SetErrorAction(kActionCount, arguments_);
  ReportError(2, 20, 128);
  ASSERT_EQ(pieces.size(), 14u);
  EXPECT_EQ(pieces[2], "code - 18");
  EXPECT_EQ(pieces[8], "code - 20");
  EXPECT_EQ(pieces[11], "code - 128");

  SetReportLanguage(true);
  pieces.clear();
  ClearAnswer();
  SetErrorAction(255, arguments_);
  ReportError(2, kCauseCount, kRecommendationCount);
  ASSERT_EQ(pieces.size(), 14u);
  EXPECT_EQ(pieces[2], Cp866("код - 255"));
  EXPECT_EQ(pieces[8], Cp866("код - 14"));
  EXPECT_EQ(pieces[11], Cp866("код - 8"));
}

TEST_F(ErrorReportTest, LastTableEntriesBeforeTheCodes) {
  FakePlanKeys(u"i");
  SetErrorAction(kActionReadFile, arguments_);
  ReportError(2, kCauseCount - 1, kRecommendationCount - 1);
  ASSERT_EQ(pieces.size(), 14u);
  EXPECT_EQ(pieces[8], "unexpected error");
  EXPECT_EQ(pieces[11], "repeat when cause discarded");
}

TEST_F(ErrorReportTest, ErrorValueSplitsIntoNumberCauseAndRecommendation) {
  FakePlanKeys(u"i");
  SetErrorAction(kActionWriteFile, arguments_);
  PlatformSetLastError(0x00070005);
  EXPECT_EQ(ReportSystemError(), kAnswerIgnore);
  EXPECT_EQ(ErrorContext.errorNumber, 5);
  EXPECT_EQ(ErrorContext.cause, 7);
  EXPECT_EQ(ErrorContext.recommendation, 0);
  ASSERT_EQ(pieces.size(), 14u);
  EXPECT_EQ(pieces[2], "write to file a.txt");
  EXPECT_EQ(pieces[8], "application operation not correct");
  EXPECT_EQ(pieces[11], "no recommendations");

  StoreErrorWord(0x8003FFFFu);
  EXPECT_EQ(ErrorContext.errorNumber, 0xFFFF);
  EXPECT_EQ(ErrorContext.cause, 3);
  EXPECT_EQ(ErrorContext.recommendation, 0x80);
}

TEST_F(ErrorReportTest, StoredAnswerIsReturnedWithoutAReport) {
  FakePlanKeys(u"r");
  SetErrorAction(kActionOpenFile, arguments_);
  ErrorContext.answer = kAnswerIgnore;
  EXPECT_EQ(ReportError(38, 6, 4), kAnswerIgnore);
  EXPECT_EQ(ShowErrorReport(), kAnswerIgnore);
  EXPECT_TRUE(pieces.empty());
  // The error is recorded all the same.
  EXPECT_EQ(ErrorContext.errorNumber, 38);
  EXPECT_EQ(ErrorContext.cause, 6);
  EXPECT_EQ(ErrorContext.recommendation, 4);
}

TEST_F(ErrorReportTest, SystemErrorIsAlwaysPutToTheOperator) {
  FakePlanKeys(u"r");
  SetErrorAction(kActionOpenFile, arguments_);
  ErrorContext.answer = kAnswerIgnore;
  PlatformSetLastError(2);
  EXPECT_EQ(ReportSystemError(), kAnswerRepeat);
  EXPECT_EQ(pieces.size(), 14u);
}

TEST_F(ErrorReportTest, ActionStaysUntilTheNextOneIsSet) {
  FakePlanKeys(u"rr");
  SetErrorAction(kActionOpenFile, arguments_);
  PlatformSetLastError(2);
  ReportSystemError();
  // The list is the caller's: a change to it shows in the next report.
  arguments_[0].text = "b.txt";
  ReportSystemError();
  ASSERT_EQ(pieces.size(), 28u);
  EXPECT_EQ(pieces[16], "opening file b.txt");
}

TEST_F(ErrorReportTest, LongTextArrivesWholeAndInOrderOnItsOwnStream) {
  std::string text;
  for (int i = 0; i < 700; ++i)
    text += static_cast<char>(1 + i % 255);
  WriteText(text.c_str());
  EXPECT_EQ(FakePlatform.output, std::vector<std::string>{text});
  EXPECT_EQ(FakeConsoleText(), "");
  WriteReportText(text.c_str());
  EXPECT_EQ(FakeConsoleText(), text);
  EXPECT_EQ(FakePlatform.output.size(), 1u);
}

}  // namespace
