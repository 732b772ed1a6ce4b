#include "startup/help.h"

#include "codepage/cp866_literal.h"

namespace {

// Which command forms a line is shown for.
enum HelpFor { kForBoth, kForArguments, kForCommandLine };

struct HelpLine {
  HelpFor shownFor;
  TextPair text;
};

const HelpLine kHelpLines[] = {
    {kForBoth,
     {Ru<u8"  /866   файл в кодовой странице 866 (DOS): перекодировать его в 1251 (Windows)">,
      "  /866   the file is in code page 866 (DOS): convert it to 1251 (Windows)"}},
    {kForBoth,
     {Ru<u8"  /1251  файл в кодовой странице 1251 (Windows): перекодировать в 866 (DOS)">,
      "  /1251  the file is in code page 1251 (Windows): convert it to 866 (DOS)"}},
    {kForBoth, {Ru<u8"         (также без ключа)">, "         (also without a switch)"}},
    {kForArguments,
     {Ru<u8"  --check       сказать, что за файл и что с ним сделает названный ключ">,
      "  --check       tell what each file is and what the switch named would do"}},
    {kForArguments,
     {Ru<u8"  --to=1251     перекодировать в 1251 файлы в 866 и оставить остальные">,
      "  --to=1251     convert the files in 866 to 1251 and leave the others"}},
    {kForArguments,
     {Ru<u8"  --to=866      то же в 866: pelcor --check *.txt, pelcor --to=1251 *.txt">,
      "  --to=866      the same to 866: pelcor --check *.txt, pelcor --to=1251 *.txt"}},
    {kForCommandLine,
     {Ru<u8"  /check  сказать, что за файл и что с ним сделает названный ключ">,
      "  /check  tell what each file is and what the switch named would do"}},
    {kForCommandLine,
     {Ru<u8"  /to1251 перекодировать в 1251 файлы в 866 и оставить остальные">,
      "  /to1251 convert the files in 866 to 1251 and leave the others"}},
    {kForCommandLine,
     {Ru<u8"  /to866  то же в 866: Pelcor *.txt /check, Pelcor *.txt /to1251">,
      "  /to866  the same to 866: Pelcor *.txt /check, Pelcor *.txt /to1251"}},
    {kForBoth,
     {Ru<u8"Файл перекодируется на месте, без копии: сохраните оригинал, если он нужен.">,
      "The file is converted in place, without a copy: keep the original if you need it."}},
    {kForArguments,
     {Ru<u8"Можно назвать несколько файлов; - перекодирует стандартный ввод в вывод.">,
      "Several files may be named; - converts standard input to standard output."}},
    {kForArguments,
     {Ru<u8"Ответ A (Отменить) оставляет этот файл, и запуск идёт к следующему.">,
      "The answer A (Abort) leaves that file, and the run goes on with the next one."}},
    {kForBoth,
     {Ru<u8"Текст явно в другой кодировке (уже перекодированный, UTF-8 любого письма,">,
      "A text plainly in another encoding (converted already, UTF-8 of any script,"}},
    {kForBoth,
     {Ru<u8"латинская кодовая страница, KOI8-R...), перекодированный лишь частично">,
      "a Latin code page, KOI8-R...), a file converted only in part and binary data"}},
    {kForBoth,
     {Ru<u8"файл и двоичные данные (программа, архив) отклоняются с сообщением;">,
      "(a program, an archive) are refused with a report; the answer I (Ignore)"}},
    {kForBoth,
     {Ru<u8"ответ I (Игнорировать) перекодирует их всё же.">, "converts them all the same."}},
    {kForBoth,
     {Ru<u8"Прерванный (Ctrl+C) запуск дописывает прочитанное и говорит, сколько байт">,
      "An interrupted run (Ctrl+C) finishes what it has read and says how many bytes"}},
    {kForBoth,
     {Ru<u8"перекодировано; та же команда закончит работу и ни один файл не перекодирует">,
      "are converted; the same command finishes the run, and converts no file twice"}},
    {kForBoth,
     {Ru<u8"дважды (на файловых системах, где хранятся атрибуты или потоки файлов).">,
      "(where the file system keeps extended attributes or named streams)."}},
    {kForBoth,
     {Ru<u8"Код возврата: 0 перекодировано целиком (или справка, версия), 1 нет,">,
      "Exit status: 0 converted whole (or help, version), 1 not converted whole,"}},
    {kForBoth,
     {Ru<u8"2 неверная командная строка (показано использование). С проверкой: 0, если">,
      "2 a wrong command line (the usage is shown). Checked: 0 when each file would"}},
    {kForBoth,
     {Ru<u8"ключ перекодирует каждый файл целиком (без ключа: каждый в 866 или 1251);">,
      "convert whole by the switch (with none: each is in 866 or 1251); to a code"}},
    {kForBoth,
     {Ru<u8"в кодовую страницу: 0, если в конце каждый файл в ней.">,
      "page: 0 when each file is in it at the end."}},
    {kForArguments, {Ru<u8"Подробнее: man pelcor">, "More: man pelcor"}},
    {kForCommandLine,
     {Ru<u8"Подробнее: readme.txt рядом с Pelcor.exe">, "More: readme.txt beside Pelcor.exe"}},
};

}  // namespace

void WriteHelp(const Console& console, CommandForm form) {
  const HelpFor other = form == kCommandArguments ? kForCommandLine : kForArguments;
  for (const HelpLine& line : kHelpLines) {
    if (line.shownFor == other) continue;
    WriteText(console, Pick(console.language, line.text));
    WriteLineEnd(console);
  }
}
