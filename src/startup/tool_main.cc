#include "startup/tool_main.h"

#include "codepage/cp866_literal.h"
#include "errors/console_output.h"
#include "fileconv/convert_file.h"
#include "startup/command_tail.h"
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

const char* StartupText(StartupTextIndex which) {
  return kStartupTexts[MessageLanguage.startupText + which];
}

void WriteUsage() {
  WriteText(StartupText(kUsageLabel));
  WriteLineEnd();
  WriteText(StartupText(kUsageLine));
  WriteLineEnd();
}

}  // namespace

int ToolMain() {
  char tail[kTailLimit + 1];
  const bool whole = GetCommandTail(tail);
  StrTrimChar(tail, ' ');
  SelectLanguage();

  WriteText(StartupText(kBanner));
  WriteText("\n\r");  // the banner's own line end, LF before CR

  // The usage test looks at the whole tail, before the switch is cut off.
  const TailRequest request = RequestOfTail(tail);
  if (request == kTailVersion) return 0;
  if (StrHasControl(tail) || request == kTailHelp) {
    WriteUsage();
    return 0;
  }

  if (!whole) {
    // Part of the name is missing: the open is refused and reported, and no file that
    // the cut name might reach is touched.
    ConvertFileInPlace(tail, kNameCut);
    return 1;
  }
  TakeFileName(tail);
  return ConvertFileInPlace(tail, kNameWhole) ? 0 : 1;
}
