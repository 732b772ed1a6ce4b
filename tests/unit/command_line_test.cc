// The command line as the POSIX layer builds it from the process arguments, seen
// through GetCommandTail.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "startup/command_tail.h"
#include "text/strings.h"

namespace {

std::string TailFromArguments(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  PlatformStart(static_cast<int>(arguments.size()), argv.data());
  char tail[kTailLimit + 1];
  EXPECT_TRUE(GetCommandTail(tail));
  return tail;
}

// The file name the tool takes from the command line built of these arguments.
std::string NameFromArguments(std::vector<std::string> arguments) {
  std::string tail = TailFromArguments(std::move(arguments));
  tail.resize(kTailLimit + 1);
  StrTrimChar(tail.data(), ' ');
  TakeFileName(tail.data());
  return tail.c_str();
}

TEST(CommandLine, ArgumentsFollowTheQuotedProgramName) {
  // The layer takes the user's charset from the environment once; arguments are bytes
  // of UTF-8 here.
  setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(TailFromArguments({"/usr/bin/pelcor"}), "");
  EXPECT_EQ(TailFromArguments({"pelcor", "a.txt", "/866"}), "a.txt /866");
  EXPECT_EQ(TailFromArguments({"./pelcor", "", ""}), "");
  EXPECT_EQ(TailFromArguments({"My Tools/pelcor", "my file.txt"}), "my file.txt");
  // Arguments arrive in code page 1251; what it cannot hold becomes its unassigned 0x98.
  EXPECT_EQ(TailFromArguments({"pelcor", "файл.txt"}), "\xF4\xE0\xE9\xEB.txt");
  EXPECT_EQ(TailFromArguments({"pelcor", "\xFF.txt", "日本"}), "\x98.txt \x98\x98");
}

TEST(CommandLine, NoPathLeaksIntoTheTail) {
  // A program path with a double quote, or too long for the closing quote to be found,
  // must not end up in the tail: "pelcor" alone would show the usage text.
  EXPECT_EQ(TailFromArguments({"/tmp/x\"y/pelcor"}), "");
  EXPECT_EQ(TailFromArguments({"/tmp/x\"y/pelcor", "a.txt"}), "a.txt");
  EXPECT_EQ(TailFromArguments({std::string(511, 'd')}), "");
  EXPECT_EQ(TailFromArguments({std::string(512, 'd')}), "");
  EXPECT_EQ(TailFromArguments({"/" + std::string(600, 'd') + "/pelcor", "a.txt"}), "a.txt");
  // A process started with no arguments at all.
  EXPECT_EQ(TailFromArguments({}), "");
}

TEST(CommandLine, TheNameComesBackAsTheShellGaveIt) {
  // The tool drops quotes that enclose the name; arguments that begin and end with one
  // keep them, wherever the switch is.
  setenv("LC_ALL", "C.UTF-8", 1);
  struct Case {
    std::vector<std::string> arguments;
    const char* name;
  };
  const Case cases[] = {
      {{"pelcor", "\"a.txt\""}, "\"a.txt\""},
      {{"pelcor", "  \"a b\" ", "/866"}, "\"a b\""},
      {{"pelcor", "\"a", "b\"", "", "/1251"}, "\"a b\""},
      {{"pelcor", "\"x\"", "/1251", "\"y\"", "/866"}, "\"x\" /1251 \"y\""},
      {{"pelcor", "\"d/866\"", "/866x"}, "\"d/866\""},
      {{"pelcor", "\"\""}, "\"\""},
      {{"pelcor", "\"ё\""}, "\"\xB8\""},
      // Nothing is added where the tool drops nothing.
      {{"pelcor", "\"a\" b"}, "\"a\" b"},
      {{"pelcor", "\""}, "\""},
      {{"pelcor", "\"a.txt /866\""}, "\"a.txt"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NameFromArguments(c.arguments), c.name) << "argument '" << c.arguments[1] << "'";
}

}  // namespace
