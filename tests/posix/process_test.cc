// The process services of the POSIX side: the command line built from the process
// arguments, and the user's language from the message locale.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "startup/command_tail.h"
#include "text/strings.h"

namespace {

TEST(PosixCommandLine, ArgumentsFollowTheQuotedProgramNameAndNamesKeepTheirQuotes) {
  struct Case {
    std::vector<std::string> arguments;
    const char* line;  // or nullptr
    const char* name;  // as the tool takes it from the line, or nullptr
  };
  const Case cases[] = {
      {{"pelcor", "a.txt", "/866"}, "\"pelcor\" a.txt /866", nullptr},
      {{"./pelcor", "", ""}, "\"pelcor\"  ", nullptr},
      {{"My Tools/pelcor", "my file.txt"}, "\"pelcor\" my file.txt", nullptr},
      // Arguments arrive in code page 1251; what it cannot hold becomes its unassigned 0x98.
      {{"pelcor", "файл.txt"}, "\"pelcor\" \xF4\xE0\xE9\xEB.txt", nullptr},
      {{"pelcor", "\xFF.txt", "日本"}, "\"pelcor\" \x98.txt \x98\x98", nullptr},
      // No program path leaks into the line, whatever it holds.
      {{"/tmp/x\"y/pelcor", "a.txt"}, "\"pelcor\" a.txt", nullptr},
      {{}, "\"pelcor\"", nullptr},
      // The tool drops quotes that enclose the name; arguments that begin and end with one
      // keep them, wherever the switch is.
      {{"pelcor", "\"a.txt\""}, "\"pelcor\" \"\"a.txt\"\"", "\"a.txt\""},
      {{"pelcor", "  \"a b\" ", "/866"}, nullptr, "  \"a b\" "},  // blanks are the name's own
      {{"pelcor", " lead.txt", "/866"}, nullptr, " lead.txt"},
      {{"pelcor", "\"a", "b\"", "", "/1251"}, nullptr, "\"a b\""},
      {{"pelcor", "\"x\"", "/1251", "\"y\"", "/866"}, nullptr, "\"x\" /1251 \"y\""},
      {{"pelcor", "\"d/866\"", "/866x"}, nullptr, "\"d/866\""},
      {{"pelcor", "\"\""}, nullptr, "\"\""},
      {{"pelcor", "\"ё\""}, nullptr, "\"\xB8\""},
      // Nothing is added where the tool drops nothing.
      {{"pelcor", "\"a\" b"}, "\"pelcor\" \"a\" b", "\"a\" b"},
      {{"pelcor", "\""}, nullptr, "\""},
      {{"pelcor", "\"a.txt /866\""}, nullptr, "\"a.txt"},
  };
  for (Case c : cases) {
    std::vector<char*> argv;
    for (std::string& argument : c.arguments)
      argv.push_back(argument.data());
    argv.push_back(nullptr);
    PlatformStart(static_cast<int>(c.arguments.size()), argv.data());
    const std::string shown = testing::PrintToString(c.arguments);
    EXPECT_STREQ(c.line != nullptr ? PlatformCommandLine() : nullptr, c.line) << shown;
    char tail[kTailLimit + 1];
    EXPECT_TRUE(GetCommandTail(tail)) << shown;
    StrTrimChar(tail, ' ');
    TakeFileName(tail);
    EXPECT_STREQ(c.name != nullptr ? tail : nullptr, c.name) << shown;
  }
}

TEST(PosixLanguage, RussianForRussiaAndKazakhstanByTheMessageLocale) {
  const char* const variables[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  struct Case {
    const char* values[3];  // of the variables
    bool russian;
  };
  const Case cases[] = {
      {{nullptr, nullptr, "ru_RU.UTF-8"}, true},
      {{nullptr, nullptr, "kk_KZ"}, true},
      {{nullptr, nullptr, "ru_RU@latin"}, true},
      {{nullptr, nullptr, "de_DE.UTF-8"}, false},
      {{nullptr, nullptr, "C"}, false},
      {{nullptr, nullptr, "ru"}, false},
      {{nullptr, nullptr, "ru_RUS"}, false},
      {{nullptr, nullptr, nullptr}, false},
      // LC_ALL before LC_MESSAGES before LANG; an empty variable does not count.
      {{"ru_RU.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"}, true},
      {{nullptr, "de_DE.UTF-8", "ru_RU.UTF-8"}, false},
      {{"", "", "ru_RU.UTF-8"}, true},
      {{"C", nullptr, "ru_RU.UTF-8"}, false},
  };
  for (const Case& c : cases) {
    for (int i = 0; i < 3; ++i)
      c.values[i] != nullptr ? setenv(variables[i], c.values[i], 1) : unsetenv(variables[i]);
    EXPECT_EQ(PlatformUserReadsRussian(), c.russian) << testing::PrintToString(c.values);
  }
  setenv("LC_ALL", "C.UTF-8", 1);  // as the tests' start set it, for the tests after
}

}  // namespace
