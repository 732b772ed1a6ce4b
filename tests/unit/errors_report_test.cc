// The whole error report as the console receives it, and the answers it returns.
#include <gtest/gtest.h>
#include <iconv.h>

#include "errors/error_context.h"
#include "errors_test_support.h"
#include "process_records.h"

namespace {

// Code page 866 bytes of a UTF-8 text, by the C library's own converter.
std::string Cp866(const std::string& utf8) {
  iconv_t cd = iconv_open("CP866", "UTF-8");
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

const WCHAR* RussianAccessDenied(DWORD) {
  return u"Отказано в доступе.\r\n";
}

class ErrorReportTest : public testing::Test {
 protected:
  void SetUp() override {
    SetReportLanguage(false);
    arguments_[0].text = "a.txt";
    ErrorContext.answer = kAnswerNone;
  }
  FormatSlot arguments_[1];
  // Declared after arguments_, so put back before the list goes: no later test may find
  // its address in the context.
  KeepProcessRecords records_;
};

TEST_F(ErrorReportTest, EnglishReportForAFailedOpenPieceByPiece) {
  ConsoleCapture console;
  PipedKeys keys("a");
  SetErrorAction(kActionOpenFile, arguments_);
  SetLastError(2);
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
      "no reccomendations",
      "\r\n",
      "? Ignore /I/ Repeat /R/ Abort /A/ ?",  // and no line end after it
  };
  EXPECT_EQ(console.pieces, expected);
  EXPECT_EQ(ErrorContext.answer, kAnswerAbort);
}

TEST_F(ErrorReportTest, RussianReportForAFailedReadInCodePage866) {
  ReportLanguage russian(true);
  ConsoleCapture console;
  PipedKeys keys("\xD0\xBF");  // п
  PlatformSeams.systemMessage = RussianAccessDenied;
  SetErrorAction(kActionReadFile, arguments_);
  SetLastError(13);
  EXPECT_EQ(ReportSystemError(), kAnswerRepeat);
  const std::string expected =
      "\r\n" + Cp866("При выполнении операции : чтение файла  a.txt") + "\r\n" +
      Cp866("Возникла ошибка : отказано в доступе") + "\r\n" +
      Cp866("По причине : причина неизвестн") + "a" + "\r\n" +
      Cp866("Рекомендации : рекомендации  отсутствуют") + "\r\n" +
      Cp866("? Игнорировать /I,i,И,и/ Повторить /R,r,П,п/ Отменить /A,a,О,о/ ?");
  EXPECT_EQ(console.Joined(), expected);
}

TEST_F(ErrorReportTest, NumbersPastTheTablesShowAsCodes) {
  ConsoleCapture console;
  PipedKeys keys("ii");
  SetErrorAction(kActionCount, arguments_);
  ReportError(2, 20, 128);
  ASSERT_EQ(console.pieces.size(), 14u);
  EXPECT_EQ(console.pieces[2], "code - 18");
  EXPECT_EQ(console.pieces[8], "code - 20");
  EXPECT_EQ(console.pieces[11], "code - 128");

  ReportLanguage russian(true);
  console.pieces.clear();
  ClearAnswer();
  SetErrorAction(255, arguments_);
  ReportError(2, kCauseCount, kRecommendationCount);
  ASSERT_EQ(console.pieces.size(), 14u);
  EXPECT_EQ(console.pieces[2], Cp866("код - 255"));
  EXPECT_EQ(console.pieces[8], Cp866("код - 14"));
  EXPECT_EQ(console.pieces[11], Cp866("код - 8"));
}

TEST_F(ErrorReportTest, LastTableEntriesBeforeTheCodes) {
  ConsoleCapture console;
  PipedKeys keys("i");
  SetErrorAction(kActionReadFile, arguments_);
  ReportError(2, kCauseCount - 1, kRecommendationCount - 1);
  ASSERT_EQ(console.pieces.size(), 14u);
  EXPECT_EQ(console.pieces[8], "whole error");
  EXPECT_EQ(console.pieces[11], "repeat when cause discaded");
}

TEST_F(ErrorReportTest, ErrorValueSplitsIntoNumberCauseAndRecommendation) {
  ConsoleCapture console;
  PipedKeys keys("i");
  SetErrorAction(kActionWriteFile, arguments_);
  SetLastError(0x00070005);
  EXPECT_EQ(ReportSystemError(), kAnswerIgnore);
  EXPECT_EQ(ErrorContext.errorNumber, 5);
  EXPECT_EQ(ErrorContext.cause, 7);
  EXPECT_EQ(ErrorContext.recommendation, 0);
  ASSERT_EQ(console.pieces.size(), 14u);
  EXPECT_EQ(console.pieces[2], "write to file a.txt");
  EXPECT_EQ(console.pieces[8], "application operation not correct");
  EXPECT_EQ(console.pieces[11], "no reccomendations");

  StoreErrorWord(0x8003FFFFu);
  EXPECT_EQ(ErrorContext.errorNumber, 0xFFFF);
  EXPECT_EQ(ErrorContext.cause, 3);
  EXPECT_EQ(ErrorContext.recommendation, 0x80);
}

TEST_F(ErrorReportTest, StoredAnswerIsReturnedWithoutAReport) {
  ConsoleCapture console;
  PipedKeys keys("r");
  SetErrorAction(kActionOpenFile, arguments_);
  ErrorContext.answer = kAnswerIgnore;
  EXPECT_EQ(ReportError(38, 6, 4), kAnswerIgnore);
  EXPECT_EQ(ShowErrorReport(), kAnswerIgnore);
  EXPECT_TRUE(console.pieces.empty());
  // The error is recorded all the same.
  EXPECT_EQ(ErrorContext.errorNumber, 38);
  EXPECT_EQ(ErrorContext.cause, 6);
  EXPECT_EQ(ErrorContext.recommendation, 4);
}

TEST_F(ErrorReportTest, SystemErrorIsAlwaysPutToTheOperator) {
  ConsoleCapture console;
  PipedKeys keys("r");
  SetErrorAction(kActionOpenFile, arguments_);
  ErrorContext.answer = kAnswerIgnore;
  SetLastError(2);
  EXPECT_EQ(ReportSystemError(), kAnswerRepeat);
  EXPECT_EQ(console.pieces.size(), 14u);
}

TEST_F(ErrorReportTest, ActionStaysUntilTheNextOneIsSet) {
  ConsoleCapture console;
  PipedKeys keys("rr");
  SetErrorAction(kActionOpenFile, arguments_);
  SetLastError(2);
  ReportSystemError();
  // The list is the caller's: a change to it shows in the next report.
  arguments_[0].text = "b.txt";
  ReportSystemError();
  ASSERT_EQ(console.pieces.size(), 28u);
  EXPECT_EQ(console.pieces[16], "opening file b.txt");
}

// Longer than one piece of the console output, with every byte value of code page 866.
std::string LongCp866Text() {
  std::string text;
  for (int i = 0; i < 700; ++i)
    text += static_cast<char>(1 + i % 255);
  return text;
}

TEST(ConsoleOutput, LongTextArrivesWholeAndInOrder) {
  const std::string text = LongCp866Text();
  {
    ConsoleCapture console;
    WriteText(text.c_str());
    EXPECT_EQ(console.Joined(), text);
  }

  // On a descriptor it leaves in the user's charset, as a direct conversion gives it.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const HANDLE saved = StdHandles.output;
  StdHandles.output = HandleFromFd(fds[1]);
  WriteText(text.c_str());
  StdHandles.output = saved;
  close(fds[1]);
  std::string shown(8192, '\0');
  shown.resize(static_cast<size_t>(read(fds[0], shown.data(), shown.size())));
  close(fds[0]);
  std::string expected(8192, '\0');
  expected.resize(ConvertCharset(kCharsetUser, kCharsetOem, text.data(), text.size(),
                                 expected.data(), expected.size(), "?", 1, nullptr));
  EXPECT_EQ(shown, expected);
}

}  // namespace
