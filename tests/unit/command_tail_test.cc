#include "startup/command_tail.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "codepage/byte_maps.h"

namespace {

std::string TailOf(const std::string& commandLine, bool* whole = nullptr) {
  char tail[kTailLimit + 2];
  tail[kTailLimit + 1] = '#';
  const bool fits = ExtractCommandTail(commandLine.c_str(), tail);
  if (whole != nullptr) *whole = fits;
  EXPECT_EQ(tail[kTailLimit + 1], '#') << "written past the tail buffer";
  return tail;
}

TEST(CommandTail, DropsTheProgramName) {
  struct Case {
    const char* commandLine;
    const char* tail;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\Pelcor.exe\" a.txt", "a.txt"},
      {"\"C:\\Program Files\\Pelcor.exe\"", ""},
      // Without its closing quote the whole line is the program name.
      {"\"C:\\tools\\Pelcor.exe a.txt /866", ""},
      {"Pelcor.exe a.txt /866", "a.txt /866"},
      // An unquoted program name ends at the first blank, whatever it holds.
      {"C:\\tools\\Pelcor.exe a.txt", "a.txt"},
      {"tools\\Pelcor.exe", ""},
      {"Pelcor2.exe\ta.txt", "a.txt"},
      // Spaces and tabs after the name go; those inside or after the tail stay.
      {"\"pelcor\" \t a b\t", "a b\t"},
      // What is glued to the closing quote still belongs to the program name.
      {"\"pelcor\"x.txt /866", "/866"},
      {"\"C:\\Pelcor\"2.exe a.txt", "a.txt"},
      {"", ""},
      // The first word is the program's, whatever it looks like.
      {"/866 a.txt", "a.txt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TailOf(c.commandLine), c.tail) << "command line '" << c.commandLine << "'";
    // The tail starts where its bytes stand in the line.
    char tail[kTailLimit + 1];
    uint32_t start = 0;
    ExtractCommandTail(c.commandLine, tail, &start);
    EXPECT_EQ(std::string(c.commandLine).substr(start), c.tail) << c.commandLine;
  }
}

TEST(CommandTail, ALongerTailIsCutAndSaysSo) {
  static_assert(kTailLimit >= kNameLimit + sizeof "\"\" /1251" - 1);
  const std::string tail(kTailLimit + 1, 'a');
  bool whole = false;
  EXPECT_EQ(TailOf("pelcor " + tail.substr(0, kTailLimit), &whole), tail.substr(0, kTailLimit));
  EXPECT_TRUE(whole);
  EXPECT_EQ(TailOf("pelcor " + tail, &whole), tail.substr(0, kTailLimit));
  EXPECT_FALSE(whole);
  // Spaces past the limit are lost to the trim anyway; anything else is part of the name.
  EXPECT_EQ(TailOf("pelcor " + tail.substr(0, kTailLimit) + "   ", &whole),
            tail.substr(0, kTailLimit));
  EXPECT_TRUE(whole);
  TailOf("pelcor " + tail.substr(0, kTailLimit) + "  \t", &whole);
  EXPECT_FALSE(whole);
}

TEST(CommandTail, ClosingQuoteIsLookedForIn512BytesAtMost) {
  // The closing quote as the 512th byte after the opening one is still found...
  EXPECT_EQ(TailOf("\"" + std::string(511, '1') + "\" a.txt"), "a.txt");
  EXPECT_EQ(TailOf("\"" + std::string(509, '1') + " b\" a.txt"), "a.txt");
  // ...as the 513th it is not: the scan stops in front of it, and the program name then
  // runs on to the first blank.
  EXPECT_EQ(TailOf("\"" + std::string(512, '1') + "\" a.txt"), "a.txt");
  EXPECT_EQ(TailOf("\"" + std::string(512, '1') + " b\" a.txt"), "b\" a.txt");
  // An unclosed name stops the scan after 512 bytes; the unquoted skip takes the rest of
  // its letters.
  EXPECT_EQ(TailOf("\"" + std::string(600, 'x') + " a.txt"), "a.txt");
}

std::string Cut(const char* tail, TailRange range) {
  EXPECT_LE(range.begin, range.end);
  EXPECT_LE(range.end, strlen(tail));
  return std::string(tail + range.begin, tail + range.end);
}

TEST(ParseSwitch, ChoosesTheDirectionAndCutsTheSwitchOff) {
  struct Case {
    const char* tail;
    const char* name;
    Direction direction;
    bool check = false;
    uint8_t toPages = 0;
    CodePageId target = kCodePage1251;
  };
  const Case cases[] = {
      {"a.txt /866", "a.txt", kFrom866},
      {"a.txt /1251", "a.txt", kFrom1251},
      {"a.txt", "a.txt", kFrom1251},
      // "/866" is looked for first.
      {"a.txt /1251 /866", "a.txt /1251", kFrom866},
      {"a.txt /866 /1251", "a.txt", kFrom866},
      // The scan misses a switch behind a second slash.
      {"a.txt //866", "a.txt //866", kFrom1251},
      {"a.txt //1251", "a.txt //1251", kFrom1251},
      // What follows the switch goes with it.
      {"a.txt /866 b.txt", "a.txt", kFrom866},
      {"a.txt  /866", "a.txt ", kFrom866},
      // Only a word counts: inside a path the texts are part of the name.
      {"dir/866x.txt", "dir/866x.txt", kFrom1251},
      {"a.txt/866", "a.txt/866", kFrom1251},
      {"x/866/a.txt /866", "x/866/a.txt", kFrom866},
      {"x/866/a.txt /1251", "x/866/a.txt", kFrom1251},
      {"a /1251/866 /866", "a /1251/866", kFrom866},
      // A switch at the very first byte has no byte before it to cut.
      {"/866", "/866", kFrom866},
      {"/1251 a.txt", "/1251 a.txt", kFrom1251},
      // The other words count where they stand whole after the name, before or after the
      // switch; the name ends before the first word.
      {"a b.txt /check", "a b.txt", kFrom1251, true},
      {"a.txt /check /866", "a.txt", kFrom866, true},
      {"a.txt /866 /check", "a.txt", kFrom866, true},
      {"*.txt /to1251", "*.txt", kFrom1251, false, 1, kCodePage1251},
      {"a.txt /to866 /check", "a.txt", kFrom1251, true, 1, kCodePage866},
      {"a.txt /to866 /to1251", "a.txt", kFrom1251, false, 2},
      {"a.txt /to866 /to866", "a.txt", kFrom1251, false, 2},
      {"my /checks.txt /to8666", "my /checks.txt /to8666", kFrom1251},
      {"/check", "/check", kFrom1251},
      {"a/check /to866x", "a/check /to866x", kFrom1251},
  };
  for (const Case& c : cases) {
    char tail[kTailLimit + 1];
    snprintf(tail, sizeof tail, "%s", c.tail);
    const TailSwitch parsed = ParseSwitch(tail);
    EXPECT_EQ(Cut(tail, parsed.name), c.name) << "tail '" << c.tail << "'";
    EXPECT_STREQ(tail, c.tail) << "the tail itself stays as it is";
    EXPECT_EQ(parsed.direction, c.direction) << "tail '" << c.tail << "'";
    EXPECT_EQ(parsed.check, c.check) << "tail '" << c.tail << "'";
    EXPECT_EQ(parsed.toPages, c.toPages) << "tail '" << c.tail << "'";
    if (c.toPages == 1) {
      EXPECT_EQ(parsed.target, c.target) << "tail '" << c.tail << "'";
    }
  }
}

TEST(TakeFileName, DropsTheQuotesThatEncloseTheName) {
  struct Case {
    const char* tail;
    const char* name;
  };
  const Case cases[] = {
      {"\"my file.txt\" /866", "my file.txt"},
      {"\"my file.txt\"  /1251", "my file.txt"},
      {"\"a.txt\"", "a.txt"},
      {"\"\"", ""},
      // Only a pair that encloses the whole name goes.
      {"\"", "\""},
      {"\"a.txt", "\"a.txt"},
      {"\"a\" b", "\"a\" b"},
      {"\"a.txt /866\"", "\"a.txt"},
      {"\"\"a.txt\"\" /866", "\"a.txt\""},
  };
  for (const Case& c : cases) {
    char tail[kTailLimit + 1];
    snprintf(tail, sizeof tail, "%s", c.tail);
    EXPECT_EQ(Cut(tail, TakeFileName(tail).name), c.name) << "tail '" << c.tail << "'";
  }
}

TEST(RequestOfTail, SeesThroughEnclosingQuotesAndSpaces) {
  struct Case {
    const char* tail;
    TailRequest request;
  };
  const Case cases[] = {
      {"", kTailNoName},
      {"/?", kTailHelp},
      {"-h", kTailHelp},
      {"--help", kTailHelp},
      {"--version", kTailVersion},
      // A name kept whole in quotes: spaces alone, or around a word, are no name.
      {"\"   \"", kTailNoName},
      {"\"\"", kTailNoName},
      {"\" --help \"", kTailHelp},
      {"\"--version \"", kTailVersion},
      // One pair of quotes goes; quotes of the name's own stay.
      {"\"\"--help\"\"", kTailFile},
      {"\"\" \"\"", kTailFile},
      {"\" --help \" /866", kTailFile},
      {"--help /866", kTailFile},
      {"--helps", kTailFile},
      {"\"-h", kTailFile},
      {"a.txt", kTailFile},
      {"--version--version", kTailFile},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RequestOfTail(c.tail), c.request) << "tail '" << c.tail << "'";
}

}  // namespace
