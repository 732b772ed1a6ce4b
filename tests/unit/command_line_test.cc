// The command line as the POSIX layer builds it from the process arguments, seen
// through GetCommandTail.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "startup/command_tail.h"

namespace {

std::string TailFromArguments(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  PlatformStart(static_cast<int>(arguments.size()), argv.data());
  char tail[kTailLimit + 1];
  return GetCommandTail(tail);
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

}  // namespace
