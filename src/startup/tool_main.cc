#include "startup/tool_main.h"

#include "codepage/byte_maps.h"
#include "codepage/cp866_literal.h"
#include "errors/console_output.h"
#include "fileconv/check_line.h"
#include "fileconv/convert_file.h"
#include "fileconv/file_check.h"
#include "fileconv/plan.h"
#include "hard_error/hard_error.h"
#include "startup/command_tail.h"
#include "startup/help.h"
#include "text/strings.h"

namespace {

const TextPair kBanner = {
    Ru<u8"Утилита перекодировки текста Windows/DOS ver. 1.1 Автор Quorvendil">,
    "Text filter: Windows/DOS encoder ver. 1.1 by Quorvendil"};
const TextPair kUsageLabel = {Ru<u8"Использование :">, "Usage :"};
// The usage line of each command form: the Windows line, then the arguments, where the
// command is pelcor and takes several names.
const TextPair kUsageLines[2] = {
    {Ru<u8"\tPelcor <файл> [/866 | /1251] [/check] [/to866 | /to1251]">,
     "\tPelcor <file> [/866 | /1251] [/check] [/to866 | /to1251]"},
    {Ru<u8"\tpelcor <файл>... [/866 | /1251] [--check] [--to=866 | --to=1251]">,
     "\tpelcor <file>... [/866 | /1251] [--check] [--to=866 | --to=1251]"},
};

void WriteUsage(const Console& console, CommandForm form) {
  WriteText(console, Pick(console.language, kUsageLabel));
  WriteLineEnd(console);
  WriteText(console, Pick(console.language, kUsageLines[form == kCommandArguments]));
  WriteLineEnd(console);
}

void WriteBanner(const Console& console) {
  WriteText(console, Pick(console.language, kBanner));
  WriteText(console, "\n\r");  // the banner's own line end, LF before CR
}

// Runs what the plan asks of each name, with the one converter of the run. Where files are
// converted, a request to end the process is held from the first file opened to the end
// of the run, and obeyed at the next boundary: between spans, or before a file is touched.
// A check writes nothing, and ends at once.
template <typename Run>
int WithConverter(const Console& console, const Plan& plan, Run run) {
  Converter converter;
  if (!StartConverter(&converter, plan.direction, console)) return 1;
  converter.toPage = !plan.check && plan.aim == kAimToPage;
  converter.target = plan.target;
  if (!plan.check) PlatformBeginInterruptible();
  const int code = run(&converter);
  // A request held as the last file was done: every file named is done, and said so.
  if (!plan.check) EndRunIfInterrupted(&converter);
  if (!plan.check) PlatformEndInterruptible();
  EndConverter(&converter);
  return code;
}

// Checks the named file, or standard input, and writes its line on standard output.
// Whether the file would end where the command asks.
bool CheckName(Converter* c, const Plan& plan, PlatformName name, NameState state, bool stream) {
  const FileCheck check = stream
                              ? CheckStream(PlatformStandardHandle(kStandardInput), plan, c->span)
                              : CheckFile(name, state, plan, c->span);
  WriteCheckLine(c->console, PlatformStandardHandle(kStandardOutput), name, check, plan);
  return CheckPasses(check, plan);
}

// Checks or converts one named file. Whether it ends where the command asks.
bool HandleName(Converter* c, const Plan& plan, PlatformName name, NameState state) {
  if (plan.check) return CheckName(c, plan, name, state, false);
  return ConvertFileInPlace(c, name, state);
}

// What one argument is, read as the words before "--" are read, or as a name after it.
enum ArgumentKind {
  kArgumentName,
  kArgumentWordsEnd,
  kArgumentSwitch,
  kArgumentHelp,
  kArgumentVersion,
  kArgumentCheck,
  kArgumentToPage,
};

struct ArgumentWord {
  const char* text;
  ArgumentKind kind;
};

const ArgumentWord kArgumentWords[] = {
    {"--", kArgumentWordsEnd},       {"/866", kArgumentSwitch},   {"/1251", kArgumentSwitch},
    {"--help", kArgumentHelp},       {"-h", kArgumentHelp},       {"/?", kArgumentHelp},
    {"--version", kArgumentVersion}, {"--check", kArgumentCheck}, {"--to=866", kArgumentToPage},
    {"--to=1251", kArgumentToPage},
};

ArgumentKind KindOf(const char* argument, bool wordsEnded) {
  if (wordsEnded) return kArgumentName;
  for (const ArgumentWord& word : kArgumentWords) {
    if (StrCompare(argument, word.text) == 0) return word.kind;
  }
  return kArgumentName;
}

// The plan of a command whose words are those given (nullptr for none).
Plan PlanOf(bool check, const char* switchWord, const char* toWord) {
  Plan plan = {check, kAimNone, kFrom1251, kCodePage1251, nullptr};
  if (switchWord != nullptr) {
    plan = {check, kAimSwitch, StrCompare(switchWord, "/866") == 0 ? kFrom866 : kFrom1251,
            kCodePage1251, switchWord};
  }
  if (toWord != nullptr) {
    plan.aim = kAimToPage;
    plan.target = StrCompare(toWord, "--to=866") == 0 ? kCodePage866 : kCodePage1251;
    plan.word = toWord;
  }
  return plan;
}

// What the words of the arguments ask for, and how many names they give.
struct Words {
  bool help;
  bool version;
  bool wrong;   // two different switches, two --to, or --to with a switch
  bool filter;  // "-" names standard input and output
  uint32_t names;
  Plan plan;
};

Words ReadWords(const PlatformCommand& command) {
  Words words = {};
  bool ended = false, check = false;
  const char* chosen = nullptr;  // the switch
  const char* toWord = nullptr;
  for (uint32_t i = 0; i < command.count; ++i) {
    const char* word = command.words[i];
    const ArgumentKind kind = KindOf(word, ended);
    ended |= kind == kArgumentWordsEnd;
    words.help |= kind == kArgumentHelp;
    words.version |= kind == kArgumentVersion;
    check |= kind == kArgumentCheck;
    words.wrong |=
        (kind == kArgumentSwitch && chosen != nullptr && StrCompare(chosen, word) != 0) ||
        (kind == kArgumentToPage && toWord != nullptr);
    if (kind == kArgumentSwitch) chosen = word;
    if (kind == kArgumentToPage) toWord = word;
    words.names += kind == kArgumentName;
    words.filter |= kind == kArgumentName && StrCompare(word, "-") == 0;
  }
  words.wrong |= chosen != nullptr && toWord != nullptr;
  words.plan = PlanOf(check, chosen, toWord);
  return words;
}

// Checks or converts the file the argument names, or standard input (to standard output)
// for "-".
bool HandleArgument(Converter* c, const Plan& plan, const PlatformCommand& command, uint32_t i) {
  const char* word = command.words[i];
  const PlatformName name = PlatformCommandName(command, i, 0, StrLength(word));
  if (StrCompare(word, "-") != 0) return HandleName(c, plan, name, kNameWhole);
  if (plan.check) return CheckName(c, plan, name, kNameWhole, true);
  return ConvertStream(c, PlatformStandardHandle(kStandardInput),
                       PlatformStandardHandle(kStandardOutput), "-");
}

// Each name handled in turn, each with its own guard, reports and answers; an Abort
// leaves that file and the run goes on with the next. 0 when every file ends where the
// command asks.
int HandleArguments(Converter* c, const Plan& plan, const PlatformCommand& command) {
  bool allWhole = true;
  bool ended = false;
  for (uint32_t i = 0; i < command.count; ++i) {
    const ArgumentKind kind = KindOf(command.words[i], ended);
    ended |= kind == kArgumentWordsEnd;
    if (kind != kArgumentName) continue;
    allWhole &= HandleArgument(c, plan, command, i);
  }
  return allWhole ? 0 : 1;
}

// The arguments, where the system hands them over one by one: the words, then the
// names.
int RunArguments(const PlatformCommand& command, Console console) {
  const Words words = ReadWords(command);
  // Standard output carries the converted text alone, or the check's lines, and
  // standard input the text to convert or check.
  if (words.filter || words.plan.check) console = FilterConsole(console.language);
  SetHardErrorConsole(console);
  WriteBanner(console);
  if (words.help || (!words.version && (words.names == 0 || words.wrong))) {
    WriteUsage(console, kCommandArguments);
    if (words.help) WriteHelp(console, kCommandArguments);
    return words.help ? 0 : 2;
  }
  if (words.version) return 0;
  return WithConverter(console, words.plan,
                       [&](Converter* c) { return HandleArguments(c, words.plan, command); });
}

// The exit code of a tail that asks for the version, help or the usage, shown; -1 for a
// tail that names a file. The test looks at the whole tail, before the switch is cut off.
int AnswerRequest(const Console& console, const char* tail, bool wrong) {
  const TailRequest request = RequestOfTail(tail);
  if (request == kTailVersion) return 0;
  if (request == kTailHelp) {
    WriteUsage(console, kCommandLine);
    WriteHelp(console, kCommandLine);
    return 0;
  }
  if (!StrHasControl(tail) && request != kTailNoName && !wrong) return -1;
  WriteUsage(console, kCommandLine);
  return 2;
}

// Checks or converts each file that the name with wildcards matches, or the one file a
// name without them names. 0 when every file ends where the command asks.
int HandleMatches(Converter* c, const Plan& plan, PlatformName pattern) {
  PlatformMatches matches;
  if (!PlatformFirstMatch(pattern, &matches))
    return HandleName(c, plan, pattern, kNameUnmatched) ? 0 : 1;
  bool allWhole = true;
  do {
    allWhole &= HandleName(c, plan, matches.name, kNameWhole);
  } while (PlatformNextMatch(&matches));
  return allWhole ? 0 : 1;
}

// Handles the files that the tail, from position start of the command line, names.
int HandleTail(Converter* c, const Plan& plan, const PlatformCommand& command, const char* tail,
               uint32_t start, bool whole) {
  if (!whole) {
    // Part of the name is missing: the open is refused and reported, and no file that
    // the cut name might reach is touched.
    HandleName(c, plan, PlatformCommandName(command, 0, start, start + StrLength(tail)), kNameCut);
    return 1;
  }
  const TailRange name = TakeFileName(tail).name;
  return HandleMatches(c, plan,
                       PlatformCommandName(command, 0, start + name.begin, start + name.end));
}

// The plan of a tail's words.
Plan PlanOfTail(const TailSwitch& parsed) {
  Plan plan = {parsed.check, kAimNone, parsed.direction, kCodePage1251, nullptr};
  if (parsed.switched) {
    plan.aim = kAimSwitch;
    plan.word = parsed.direction == kFrom866 ? "/866" : "/1251";
  }
  if (parsed.toPages > 0) {
    plan.aim = kAimToPage;
    plan.target = parsed.target;
    plan.word = parsed.target == kCodePage866 ? "/to866" : "/to1251";
  }
  return plan;
}

// One command line, where the system hands over one: the tail rules find the one name,
// the switch and the other words.
int RunCommandTail(const PlatformCommand& command, Console console) {
  char tail[kTailLimit + 1];
  uint32_t start = 0;
  const bool whole = ExtractCommandTail(command.words[0], tail, &start);
  StrTrimRightChar(tail, ' ');  // the blanks before it are skipped already
  const TailSwitch parsed = TakeFileName(tail);
  const Plan plan = PlanOfTail(parsed);
  if (plan.check) console = FilterConsole(console.language);
  SetHardErrorConsole(console);
  WriteBanner(console);
  const bool wrong = parsed.toPages > 1 || (parsed.toPages > 0 && parsed.switched);
  const int answered = AnswerRequest(console, tail, wrong);
  if (answered >= 0) return answered;
  return WithConverter(console, plan, [&](Converter* c) {
    return HandleTail(c, plan, command, tail, start, whole);
  });
}

}  // namespace

int ToolMain(const PlatformCommand& command) {
  const Console console = StandardConsole();
  if (command.form == kCommandLine) return RunCommandTail(command, console);
  return RunArguments(command, console);
}
