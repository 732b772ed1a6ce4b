#include "fileconv/check_line.h"

#include "codepage/cp866_literal.h"
#include "errors/error_context.h"
#include "errors/report_lines.h"
#include "text/formatter.h"
#include "text/strings.h"

namespace {

// The first field, by FileKind: fixed words for scripts, the same in every language.
const char* const kKindWords[] = {"866",   "1251",   "koi8", "iso-8859-5", "utf-8", "utf-16",
                                  "latin", "binary", "part", "ascii",      "empty", "unknown"};

// What the text is, by FileKind; a code page and converted in part have their own below.
const TextPair kKindTexts[] = {
    {Ru<u8"кодовая страница 866">, "code page 866"},
    {Ru<u8"кодовая страница 1251">, "code page 1251"},
    {"KOI8-R", "KOI8-R"},
    {"ISO-8859-5", "ISO-8859-5"},
    {"UTF-8", "UTF-8"},
    {"UTF-16", "UTF-16"},
    {Ru<u8"латинская кодовая страница">, "a Latin code page"},
    {Ru<u8"двоичные данные (управляющий символ 0x%s на байте %s)">,
     "binary (control code 0x%s at byte %s)"},
    {Ru<u8"перекодирован частично (начало в %s, конец в %s)">,
     "converted in part (beginning in %s, end in %s)"},
    {Ru<u8"только ASCII: перекодировать нечего">, "ASCII only: nothing to convert"},
    {Ru<u8"пустой">, "empty"},
    {Ru<u8"не определить">, "cannot tell"},
};

// The languages of the letters, in the order of the guess.
const TextPair kLanguageNames[kLanguages] = {
    {Ru<u8"русский">, "Russian"},        {Ru<u8"украинский">, "Ukrainian"},
    {Ru<u8"белорусский">, "Belarusian"}, {Ru<u8"болгарский">, "Bulgarian"},
    {Ru<u8"сербский">, "Serbian"},       {Ru<u8"македонский">, "Macedonian"},
};

const TextPair kInLanguage = {" (%s)", " (%s)"};
const TextPair kByPelcor = {Ru<u8", перекодирован Pelcor">, ", converted by Pelcor"};
const TextPair kInterrupted = {Ru<u8"прерван на байте %s ключом %s">,
                               "interrupted at byte %s by %s"};
const TextPair kTooFewLetters = {Ru<u8"слишком мало букв, чтобы сказать (%s)">,
                                 "too few letters to tell (%s)"};
const TextPair kCannotOpen = {Ru<u8"не открывается: %s">, "cannot open: %s"};
const TextPair kCannotRead = {Ru<u8"не читается: %s">, "cannot read: %s"};

// What the conversion named would do, by Outcome, with its word in place of %s.
const TextPair kOutcomeTexts[] = {
    {"", ""},
    {Ru<u8"%s перекодирует его">, "%s converts it"},
    {Ru<u8"%s отклонит его">, "%s would refuse it"},
    {Ru<u8"делать нечего">, "nothing to do"},
    {Ru<u8"%s оставит его: кодовая страница не определяется">,
     "%s leaves it: cannot tell which code page"},
};

// Why --to leaves a file: in the code page asked for, nothing to convert, cannot tell.
const TextPair kInPageAlready = {Ru<u8"pelcor: %s: уже в кодовой странице %s">,
                                 "pelcor: %s: in code page %s already"};
const TextPair kNothingToConvert = {Ru<u8"pelcor: %s: перекодировать нечего">,
                                    "pelcor: %s: nothing to convert"};
const TextPair kCannotTell = {
    Ru<u8"pelcor: %s: не определить кодовую страницу; назовите /866 или /1251, чтобы "
       u8"перекодировать его">,
    "pelcor: %s: cannot tell which code page; name /866 or /1251 to convert it"};

const char* SwitchOf(Direction direction) {
  return direction == kFrom866 ? "/866" : "/1251";
}

// Expands the format with up to two texts at the end of the text in out (size bytes).
void Append(char* out, uint32_t size, const char* format, const char* first = nullptr,
            const char* second = nullptr) {
  FormatSlot slots[2];
  slots[0].text = first;
  slots[1].text = second;
  const uint32_t length = StrLength(out);
  FormatMessageTextMax(out + length, size - length, format, slots);
}

// The failure of a file that could not be read, in the language.
void DescribeFailure(Language language, const FileCheck& check, char* out, uint32_t size) {
  ReportLines lines;
  const ErrorReport report =
      SystemErrorReport(check.failedAction, nullptr, InOwnWords(check.failure));
  const TextPair& text = check.failedAction == kActionOpenFile ? kCannotOpen : kCannotRead;
  Append(out, size, Pick(language, text), SystemErrorText(language, report, &lines));
}

// A code page, with the language of its letters and the record's word where they tell.
void DescribePage(Language language, const FileCheck& check, char* out, uint32_t size) {
  Append(out, size, Pick(language, kKindTexts[check.kind]));
  if (check.language < kLanguages)
    Append(out, size, Pick(language, kInLanguage), Pick(language, kLanguageNames[check.language]));
  if (check.byPelcor) Append(out, size, Pick(language, kByPelcor));
}

// Binary data, named by its first byte that no text holds and that byte's offset.
void DescribeBinary(Language language, const FileCheck& check, char* out, uint32_t size) {
  char byte[3], offset[21];
  ByteToHexText(check.controlByte, byte);
  CountToText(check.controlAt, offset);
  Append(out, size, Pick(language, kKindTexts[kKindBinary]), byte, offset);
}

// What the text and the record say of the file, in the language, after the text in out
// (size bytes).
void Describe(Language language, const FileCheck& check, char* out, uint32_t size) {
  char number[21];
  if (check.failure != 0) return DescribeFailure(language, check, out, size);
  if (check.kind == kKind866 || check.kind == kKind1251)
    return DescribePage(language, check, out, size);
  if (check.kind == kKindPart && check.recorded) {
    CountToText(check.recordedAt, number);
    return Append(out, size, Pick(language, kInterrupted), number, SwitchOf(check.recordedBy));
  }
  if (check.kind == kKindBinary) return DescribeBinary(language, check, out, size);
  if (check.kind == kKindUnknown && check.letters < VerdictLetterFloor()) {
    CountToText(check.letters, number);
    return Append(out, size, Pick(language, kTooFewLetters), number);
  }
  Append(out, size, Pick(language, kKindTexts[check.kind]), CodePageNumber(check.beginningPage),
         CodePageNumber(check.endPage));
}

void Put(PlatformHandle output, const char* text) {
  PlatformWriteConsole(output, text, StrLength(text));
}

}  // namespace

void WriteCheckLine(const Console& console, PlatformHandle output, PlatformName name,
                    const FileCheck& check, const Plan& plan) {
  // Three writes a line: the name goes as it is, the texts around it in the user's charset.
  char text[320] = {};
  Append(text, sizeof text, check.failure != 0 ? kKindWords[kKindUnknown] : kKindWords[check.kind]);
  Append(text, sizeof text, "\t");
  Put(output, text);
  PlatformWriteName(output, name);
  text[0] = '\t';
  text[1] = 0;
  Describe(console.language, check, text, sizeof text);
  if (check.failure == 0 && check.outcome != kOutcomeNone) {
    Append(text, sizeof text, "\t");
    Append(text, sizeof text, Pick(console.language, kOutcomeTexts[check.outcome]), plan.word);
  }
  Append(text, sizeof text, "\r\n");
  Put(output, text);
}

void SayLeft(Language language, const char* shown, const FileCheck& check, CodePageId target) {
  char line[kActionTextSize + 192] = {};
  const TextPair& text = check.outcome == kOutcomeCannotTell                    ? kCannotTell
                         : check.kind == kKindAscii || check.kind == kKindEmpty ? kNothingToConvert
                                                                                : kInPageAlready;
  Append(line, sizeof line, Pick(language, text), shown, CodePageNumber(target));
  PlatformWriteErrorLine(line);
}
