// The whole error report as the console receives it, and the answers it returns.
#include <gtest/gtest.h>
#include <iconv.h>

#include "errors/error_context.h"
#include "errors/report_texts.h"
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
  void SetUp() override { arguments_[0].text = "a.txt"; }
  std::vector<std::string>& pieces = FakePlatform.console;
  FormatSlot arguments_[1];
};

TEST_F(ErrorReportTest, EnglishReportForAFailedOpenPieceByPiece) {
  FakePlanKeys(u"a");
  FakePlatform.errorTexts[2] = "No such file or directory.\r\n";
  EXPECT_EQ(ReportSystemError(console_, kActionOpenFile, arguments_, 2), kAnswerAbort);
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
}

TEST_F(ErrorReportTest, RussianReportForAFailedReadInCodePage866) {
  console_.language = kRussian;
  FakePlanKeys(u"п");
  FakePlatform.errorTexts[13] = Encoded("CP1251", "Отказано в доступе.\r\n");
  EXPECT_EQ(ReportSystemError(console_, kActionReadFile, arguments_, 13), kAnswerRepeat);
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
  ShowErrorReport(console_, {kActionCount, arguments_, 2, 20, 128});
  ASSERT_EQ(pieces.size(), 14u);
  EXPECT_EQ(pieces[2], "code - 18");
  EXPECT_EQ(pieces[8], "code - 20");
  EXPECT_EQ(pieces[11], "code - 128");

  console_.language = kRussian;
  pieces.clear();
  ShowErrorReport(console_, {255, arguments_, 2, kCauseCount, kRecommendationCount});
  ASSERT_EQ(pieces.size(), 14u);
  EXPECT_EQ(pieces[2], Cp866("код - 255"));
  EXPECT_EQ(pieces[8], Cp866("код - 14"));
  EXPECT_EQ(pieces[11], Cp866("код - 8"));
}

TEST_F(ErrorReportTest, LastTableEntriesBeforeTheCodes) {
  FakePlanKeys(u"i");
  ShowErrorReport(console_,
                  {kActionReadFile, arguments_, 2, kCauseCount - 1, kRecommendationCount - 1});
  ASSERT_EQ(pieces.size(), 14u);
  EXPECT_EQ(pieces[8], "unexpected error");
  EXPECT_EQ(pieces[11], "repeat when cause discarded");
}

TEST_F(ErrorReportTest, ErrorValueGivesNumberCauseAndRecommendation) {
  // The error number is the value's low 16 bits, the cause the next 8, the
  // recommendation the top 8.
  FakePlanKeys(u"ii");
  EXPECT_EQ(ReportSystemError(console_, kActionWriteFile, arguments_, 0x00070005), kAnswerIgnore);
  ASSERT_EQ(pieces.size(), 14u);
  EXPECT_EQ(pieces[2], "write to file a.txt");
  EXPECT_EQ(pieces[5], "code - 5");
  EXPECT_EQ(pieces[8], "application operation not correct");
  EXPECT_EQ(pieces[11], "no recommendations");

  pieces.clear();
  ReportSystemError(console_, kActionWriteFile, arguments_, 0x8003FFFFu);
  ASSERT_EQ(pieces.size(), 14u);
  EXPECT_EQ(pieces[5], "code - 65535");
  EXPECT_EQ(pieces[8], "admission problem");
  EXPECT_EQ(pieces[11], "code - 128");
}

TEST_F(ErrorReportTest, EveryReportIsPutToTheOperator) {
  FakePlanKeys(u"ir");
  EXPECT_EQ(ReportSystemError(console_, kActionOpenFile, arguments_, 2), kAnswerIgnore);
  EXPECT_EQ(ReportSystemError(console_, kActionOpenFile, arguments_, 2), kAnswerRepeat);
  EXPECT_EQ(pieces.size(), 28u);
}

TEST_F(ErrorReportTest, TheListIsReadWhenTheReportIsShown) {
  FakePlanKeys(u"rr");
  ReportSystemError(console_, kActionOpenFile, arguments_, 2);
  // The list is the caller's: a change to it shows in the next report.
  arguments_[0].text = "b.txt";
  ReportSystemError(console_, kActionOpenFile, arguments_, 2);
  ASSERT_EQ(pieces.size(), 28u);
  EXPECT_EQ(pieces[16], "opening file b.txt");
}

TEST_F(ErrorReportTest, LongTextArrivesWholeAndInOrderOnItsOwnStream) {
  std::string text;
  for (int i = 0; i < 700; ++i)
    text += static_cast<char>(1 + i % 255);
  WriteText(console_, text.c_str());
  EXPECT_EQ(FakePlatform.output, std::vector<std::string>{text});
  EXPECT_EQ(FakeConsoleText(), "");
  WriteReportText(console_, text.c_str());
  EXPECT_EQ(FakeConsoleText(), text);
  EXPECT_EQ(FakePlatform.output.size(), 1u);
}

}  // namespace
