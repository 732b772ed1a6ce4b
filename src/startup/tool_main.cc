#include "startup/tool_main.h"

#include "codepage/byte_maps.h"
#include "codepage/cp866_literal.h"
#include "errors/console_output.h"
#include "fileconv/convert_file.h"
#include "hard_error/hard_error.h"
#include "startup/command_tail.h"
#include "startup/help.h"
#include "text/strings.h"

namespace {

// A Russian text written in UTF-8 and kept as code page 866 bytes for the whole run.
template <Cp866Literal text>
constexpr const char* Ru = text;

const TextPair kBanner = {
    Ru<u8"Утилита перекодировки текста Windows/DOS ver. 1.1 Автор Quorvendil">,
    "Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil"};
const TextPair kUsageLabel = {Ru<u8"Использование :">, "Usage :"};
const TextPair kUsageLine = {Ru<u8"\tPelcor <файл> [/866 | /1251]">,
                             "\tPelcor <file> [/866 | /1251]"};
// Where the system hands over arguments the command is pelcor, and takes several names.
const TextPair kArgumentsUsageLine = {Ru<u8"\tpelcor <файл>... [/866 | /1251]">,
                                      "\tpelcor <file>... [/866 | /1251]"};

void WriteUsage(const Console& console, CommandForm form) {
  WriteText(console, Pick(console.language, kUsageLabel));
  WriteLineEnd(console);
  const TextPair& line = form == kCommandArguments ? kArgumentsUsageLine : kUsageLine;
  WriteText(console, Pick(console.language, line));
  WriteLineEnd(console);
}

void WriteBanner(const Console& console) {
  WriteText(console, Pick(console.language, kBanner));
  WriteText(console, "\n\r");  // the banner's own line end, LF before CR
}

// Runs the conversions of a command in the direction, with the one converter of the run.
// A request to end the process is held from the first file opened to the end of the run,
// and obeyed at the next boundary: between spans, or before a file is touched.
template <typename Run>
int WithConverter(const Console& console, Direction direction, Run run) {
  Converter converter;
  if (!StartConverter(&converter, direction, console)) return 1;
  PlatformBeginInterruptible();
  const int code = run(&converter);
  PlatformEndInterruptible();
  EndConverter(&converter);
  return code;
}

// What one argument is, read as the words before "--" are read, or as a name after it.
enum ArgumentKind {
  kArgumentName,
  kArgumentWordsEnd,
  kArgumentSwitch,
  kArgumentHelp,
  kArgumentVersion
};

ArgumentKind KindOf(const char* argument, bool wordsEnded) {
  if (wordsEnded) return kArgumentName;
  if (StrCompare(argument, "--") == 0) return kArgumentWordsEnd;
  if (StrCompare(argument, "/866") == 0 || StrCompare(argument, "/1251") == 0) {
    return kArgumentSwitch;
  }
  if (StrCompare(argument, "--help") == 0 || StrCompare(argument, "-h") == 0 ||
      StrCompare(argument, "/?") == 0) {
    return kArgumentHelp;
  }
  return StrCompare(argument, "--version") == 0 ? kArgumentVersion : kArgumentName;
}

// What the words of the arguments ask for, and how many names they give.
struct Words {
  bool help;
  bool version;
  bool twoSwitches;
  bool filter;  // "-" names standard input and output
  uint32_t names;
  Direction direction;
};

Words ReadWords(const PlatformCommand& command) {
  Words words = {};
  bool ended = false;
  const char* chosen = nullptr;  // the switch
  for (uint32_t i = 0; i < command.count; ++i) {
    const char* word = command.words[i];
    const ArgumentKind kind = KindOf(word, ended);
    ended |= kind == kArgumentWordsEnd;
    words.help |= kind == kArgumentHelp;
    words.version |= kind == kArgumentVersion;
    words.twoSwitches |=
        kind == kArgumentSwitch && chosen != nullptr && StrCompare(chosen, word) != 0;
    if (kind == kArgumentSwitch) chosen = word;
    words.names += kind == kArgumentName;
    words.filter |= kind == kArgumentName && StrCompare(word, "-") == 0;
  }
  words.direction = chosen != nullptr && StrCompare(chosen, "/866") == 0 ? kFrom866 : kFrom1251;
  return words;
}

// Converts the file the argument names, or standard input to standard output for "-".
bool ConvertArgument(Converter* c, const PlatformCommand& command, uint32_t i) {
  const char* word = command.words[i];
  if (StrCompare(word, "-") == 0) {
    return ConvertStream(c, PlatformStandardHandle(kStandardInput),
                         PlatformStandardHandle(kStandardOutput), "-");
  }
  return ConvertFileInPlace(c, PlatformCommandName(command, i, 0, StrLength(word)));
}

// Each name converted in turn, each with its own guard, reports and answers; an Abort
// leaves that file and the run goes on with the next. 0 when every file was converted
// whole.
int ConvertArguments(Converter* c, const PlatformCommand& command) {
  bool allWhole = true;
  bool ended = false;
  for (uint32_t i = 0; i < command.count; ++i) {
    const ArgumentKind kind = KindOf(command.words[i], ended);
    ended |= kind == kArgumentWordsEnd;
    if (kind != kArgumentName) continue;
    allWhole &= ConvertArgument(c, command, i);
  }
  return allWhole ? 0 : 1;
}

// The arguments, where the system hands them over one by one: the words, then the
// names.
int RunArguments(const PlatformCommand& command, Console console) {
  const Words words = ReadWords(command);
  // Standard output carries the converted text alone, and standard input the text to
  // convert.
  if (words.filter) console = FilterConsole(console.language);
  SetHardErrorConsole(console);
  WriteBanner(console);
  if (words.help || (!words.version && (words.names == 0 || words.twoSwitches))) {
    WriteUsage(console, kCommandArguments);
    if (words.help) WriteHelp(console, kCommandArguments);
    return words.help ? 0 : 2;
  }
  if (words.version) return 0;
  return WithConverter(console, words.direction,
                       [&](Converter* c) { return ConvertArguments(c, command); });
}

// The exit code of a tail that asks for the version, help or the usage, shown; -1 for a
// tail that names a file. The test looks at the whole tail, before the switch is cut off.
int AnswerRequest(const Console& console, const char* tail) {
  const TailRequest request = RequestOfTail(tail);
  if (request == kTailVersion) return 0;
  if (request == kTailHelp) {
    WriteUsage(console, kCommandLine);
    WriteHelp(console, kCommandLine);
    return 0;
  }
  if (!StrHasControl(tail) && request != kTailNoName) return -1;
  WriteUsage(console, kCommandLine);
  return 2;
}

// Converts the file that the tail, from position start of the command line, names.
int ConvertTail(Converter* c, const PlatformCommand& command, const char* tail, uint32_t start,
                bool whole) {
  if (!whole) {
    // Part of the name is missing: the open is refused and reported, and no file that
    // the cut name might reach is touched.
    ConvertFileInPlace(c, PlatformCommandName(command, 0, start, start + StrLength(tail)),
                       kNameCut);
    return 1;
  }
  const TailRange name = TakeFileName(tail).name;
  const PlatformName named = PlatformCommandName(command, 0, start + name.begin, start + name.end);
  return ConvertFileInPlace(c, named) ? 0 : 1;
}

// One command line, where the system hands over one: the tail rules find the one name
// and the switch.
int RunCommandTail(const PlatformCommand& command, const Console& console) {
  char tail[kTailLimit + 1];
  uint32_t start = 0;
  const bool whole = ExtractCommandTail(command.words[0], tail, &start);
  StrTrimRightChar(tail, ' ');  // the blanks before it are skipped already
  SetHardErrorConsole(console);
  WriteBanner(console);
  const int answered = AnswerRequest(console, tail);
  if (answered >= 0) return answered;
  return WithConverter(console, TakeFileName(tail).direction,
                       [&](Converter* c) { return ConvertTail(c, command, tail, start, whole); });
}

}  // namespace

int ToolMain(const PlatformCommand& command) {
  const Console console = StandardConsole();
  if (command.form == kCommandLine) return RunCommandTail(command, console);
  return RunArguments(command, console);
}
