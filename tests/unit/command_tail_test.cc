#include "startup/command_tail.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

#include "codepage/byte_maps.h"

namespace {

std::string TailOf(const std::string& commandLine) {
  char tail[kTailLimit + 2];
  tail[kTailLimit + 1] = '#';
  EXPECT_EQ(ExtractCommandTail(commandLine.c_str(), tail), tail);
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
      // The unquoted skip takes letters and full stops only: it stops at the colon.
      {"C:\\tools\\Pelcor.exe a.txt", ":\\tools\\Pelcor.exe a.txt"},
      {"pelcor2 a.txt", "2 a.txt"},
      // Spaces and tabs after the name go; those inside or after the tail stay.
      {"\"pelcor\" \t a b\t", "a b\t"},
      // Letters right after the closing quote are skipped as part of the name.
      {"\"pelcor\"x.txt /866", "/866"},
      {"", ""},
      {"/866", "/866"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TailOf(c.commandLine), c.tail) << "command line '" << c.commandLine << "'";
}

TEST(CommandTail, IsCutAt129Bytes) {
  const std::string tail(200, 'a');
  EXPECT_EQ(TailOf("pelcor " + tail), tail.substr(0, 129));
  EXPECT_EQ(TailOf("pelcor " + tail.substr(0, 129)), tail.substr(0, 129));
  EXPECT_EQ(TailOf("pelcor " + tail.substr(0, 128)), tail.substr(0, 128));
}

TEST(CommandTail, ClosingQuoteIsLookedForIn512BytesAtMost) {
  // The closing quote as the 512th byte after the opening one is still found...
  EXPECT_EQ(TailOf("\"" + std::string(511, '1') + "\" a.txt"), "a.txt");
  // ...as the 513th it is not: the scan stops in front of it, and the quote, not being a
  // name byte, begins the tail.
  EXPECT_EQ(TailOf("\"" + std::string(512, '1') + "\" a.txt"), "\" a.txt");
  // An unclosed name stops the scan after 512 bytes; the unquoted skip takes the rest of
  // its letters.
  EXPECT_EQ(TailOf("\"" + std::string(600, 'x') + " a.txt"), "a.txt");
}

// A map that neither switch selects, to see that ParseSwitch always sets one.
uint8_t Unselected(uint8_t byte) {
  return byte;
}

TEST(ParseSwitch, ChoosesTheMapAndCutsTheSwitchOff) {
  struct Case {
    const char* tail;
    const char* name;
    ByteMap map;
  };
  const Case cases[] = {
      {"a.txt /866", "a.txt", MapCp866ToCp1251},
      {"a.txt /1251", "a.txt", MapCp1251ToCp866},
      {"a.txt", "a.txt", MapCp1251ToCp866},
      // "/866" is looked for first.
      {"a.txt /1251 /866", "a.txt /1251", MapCp866ToCp1251},
      {"a.txt /866 /1251", "a.txt", MapCp866ToCp1251},
      // The scan misses a switch behind a second slash.
      {"a.txt //866", "a.txt //866", MapCp1251ToCp866},
      {"a.txt //1251", "a.txt //1251", MapCp1251ToCp866},
      // The switch counts anywhere; what follows it goes with it.
      {"dir/866x.txt", "di", MapCp866ToCp1251},
      {"a.txt /866 b.txt", "a.txt", MapCp866ToCp1251},
      {"a.txt/866", "a.tx", MapCp866ToCp1251},
      {"a.txt  /866", "a.txt ", MapCp866ToCp1251},
      // A switch at the very first byte has no byte before it to cut.
      {"/866", "/866", MapCp866ToCp1251},
      {"/1251 a.txt", "/1251 a.txt", MapCp1251ToCp866},
  };
  const ByteMap saved = ByteConverter;
  for (const Case& c : cases) {
    char tail[kTailLimit + 1];
    snprintf(tail, sizeof tail, "%s", c.tail);
    ByteConverter = Unselected;
    ParseSwitch(tail);
    EXPECT_STREQ(tail, c.name) << "tail '" << c.tail << "'";
    EXPECT_EQ(ByteConverter, c.map) << "tail '" << c.tail << "'";
  }
  ByteConverter = saved;
}

}  // namespace
