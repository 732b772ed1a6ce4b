#include "startup/tool_main.h"

#include "codepage/byte_maps.h"
#include "codepage/cp866_literal.h"
#include "errors/console_output.h"
#include "fileconv/convert_file.h"
#include "platform/platform.h"
#include "startup/command_tail.h"
#include "startup/help.h"
#include "startup/language.h"
#include "text/strings.h"

namespace {

constexpr Cp866Literal kRussianBanner =
    u8"Утилита перекодировки текста Windows/DOS ver. 1.1 Автор Quorvendil";
constexpr Cp866Literal kRussianUsageLabel = u8"Использование :";
constexpr Cp866Literal kRussianUsageLine = u8"\tPelcor <файл> [/866 | /1251]";

}  // namespace

const char* const kStartupTexts[6] = {
    kRussianBanner,    kRussianUsageLabel,
    kRussianUsageLine, "Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil",
    "Usage :",         "\tPelcor <file> [/866 | /1251]",
};

namespace {

// The files a run of several names has handled, so that it converts each file once.
SeenFiles SeenInRun;

const char* StartupText(StartupTextIndex which) {
  return kStartupTexts[MessageLanguage.startupText + which];
}

void WriteUsage() {
  WriteText(StartupText(kUsageLabel));
  WriteLineEnd();
  WriteText(StartupText(kUsageLine));
  WriteLineEnd();
}

void WriteBanner() {
  WriteText(StartupText(kBanner));
  WriteText("\n\r");  // the banner's own line end, LF before CR
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

// The arguments, where the system hands them over one by one: the words, then each name
// converted in turn, each with its own guard, reports and answers; an Abort leaves that
// file and the run goes on with the next. 0 when every file was converted whole.
int RunArguments(const char* const* arguments, uint32_t count) {
  bool wordsEnded = false;
  bool help = false;
  bool version = false;
  const char* chosen = nullptr;  // the switch
  bool twoSwitches = false;
  uint32_t names = 0;
  bool filter = false;  // "-" names standard input and output
  for (uint32_t i = 0; i < count; ++i) {
    switch (KindOf(arguments[i], wordsEnded)) {
      case kArgumentWordsEnd:
        wordsEnded = true;
        break;
      case kArgumentSwitch:
        twoSwitches |= chosen != nullptr && StrCompare(chosen, arguments[i]) != 0;
        chosen = arguments[i];
        break;
      case kArgumentHelp:
        help = true;
        break;
      case kArgumentVersion:
        version = true;
        break;
      case kArgumentName:
        ++names;
        filter |= StrCompare(arguments[i], "-") == 0;
        break;
    }
  }
  if (filter) {
    // Standard output carries the converted text alone, and standard input the text to
    // convert: the banner and the reports go to standard error, and the keys come from
    // the terminal, where there is one.
    StdHandles.output = PlatformStandardHandle(kStandardError);
    StdHandles.input = PlatformTerminalInput();
    StdHandles.error = PlatformReportOutput(StdHandles.input);
  }
  WriteBanner();
  if (help || (!version && (names == 0 || twoSwitches))) {
    WriteUsage();
    if (help) WriteHelp(kCommandArguments);
    return help ? 0 : 2;
  }
  if (version) return 0;

  const bool from866 = chosen != nullptr && StrCompare(chosen, "/866") == 0;
  ByteConverter = from866 ? MapCp866ToCp1251 : MapCp1251ToCp866;
  bool allWhole = true;
  wordsEnded = false;
  RunSoFar run = {&SeenInRun, false, false};
  // A request to end the process is held from here to the end of the run, and obeyed at
  // the next boundary: between spans, or before a file is touched.
  PlatformBeginInterruptible();
  for (uint32_t i = 0; i < count; ++i) {
    const ArgumentKind kind = KindOf(arguments[i], wordsEnded);
    wordsEnded |= kind == kArgumentWordsEnd;
    if (kind != kArgumentName) continue;
    allWhole &= StrCompare(arguments[i], "-") == 0
                    ? ConvertStream(PlatformStandardHandle(kStandardInput),
                                    PlatformStandardHandle(kStandardOutput), "-")
                    : ConvertFileInPlace(PlatformArgumentName(i), kNameWhole, &run);
  }
  PlatformEndInterruptible();
  return allWhole ? 0 : 1;
}

// One command line, where the system hands over one: the tail rules find the one name
// and the switch.
int RunCommandTail(const char* commandLine) {
  char tail[kTailLimit + 1];
  uint32_t start = 0;
  const bool whole = ExtractCommandTail(commandLine, tail, &start);
  StrTrimRightChar(tail, ' ');  // the blanks before it are skipped already
  WriteBanner();

  // The usage test looks at the whole tail, before the switch is cut off.
  const TailRequest request = RequestOfTail(tail);
  if (request == kTailVersion) return 0;
  if (request == kTailHelp) {
    WriteUsage();
    WriteHelp(kCommandLine);
    return 0;
  }
  if (StrHasControl(tail) || request == kTailNoName) {
    WriteUsage();
    return 2;
  }

  RunSoFar run = {};
  if (!whole) {
    // Part of the name is missing: the open is refused and reported, and no file that
    // the cut name might reach is touched.
    ConvertFileInPlace(PlatformCommandLineName(start, start + StrLength(tail)), kNameCut, &run);
    return 1;
  }
  const TailRange name = TakeFileName(tail);
  const PlatformName named = PlatformCommandLineName(start + name.begin, start + name.end);
  PlatformBeginInterruptible();
  const bool converted = ConvertFileInPlace(named, kNameWhole, &run);
  PlatformEndInterruptible();
  return converted ? 0 : 1;
}

}  // namespace

int ToolMain() {
  SelectLanguage();
  const char* commandLine = PlatformCommandLine();
  if (commandLine != nullptr) return RunCommandTail(commandLine);
  uint32_t count = 0;
  const char* const* arguments = PlatformArguments(&count);
  return RunArguments(arguments, count);
}
