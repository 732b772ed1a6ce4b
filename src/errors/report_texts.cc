#include "errors/report_texts.h"

#include "codepage/cp866_literal.h"
#include "errors/error_context.h"

namespace {

// A Russian text written in UTF-8 and kept as code page 866 bytes for the whole run.
template <Cp866Literal text>
constexpr const char* Ru = text;

}  // namespace

// Labels 0-3 end with a blank: the line's text follows them directly.
const char* const kLabelTexts[2 * kLabelCount] = {
    // Russian
    Ru<u8"При выполнении операции : ">,
    Ru<u8"Возникла ошибка : ">,
    Ru<u8"По причине : ">,
    Ru<u8"Рекомендации : ">,
    // The letters between the slashes are Latin I, i, R, r, A, a, then Cyrillic ones.
    Ru<u8"? Игнорировать /I,i,И,и/ Повторить /R,r,П,п/ Отменить /A,a,О,о/ ?">,
    Ru<u8"код - %u">,
    // English
    "Action : ",
    "Error : ",
    "Cause : ",
    "Recommendations : ",
    "? Ignore /I/ Repeat /R/ Abort /A/ ?",
    "code - %u",
};

// Indexed by ActionCode; the program itself sets only 2, 3 and 4.
const char* const kActionTexts[2 * kActionCount] = {
    // Russian, 0-5
    Ru<u8"создание файла %s">,
    Ru<u8"создание каталога %s">,
    Ru<u8"открытие файла %s">,
    Ru<u8"запись файла %s">,
    Ru<u8"чтение файла  %s">,  // two blanks before the name
    Ru<u8"удаление файла %s">,
    // Russian, 6-11
    Ru<u8"удаление каталога %s">,
    Ru<u8"сброс буферов файла %s">,
    Ru<u8"закрытие файла %s">,
    Ru<u8"переименование файла %s в %s">,
    Ru<u8"копирование файла %s в %s">,
    Ru<u8"над %s : %u байт, CRC %u; фактически %u, %u">,
    // Russian, 12-17
    Ru<u8"обращение к диску %c:">,
    Ru<u8"чтение диска %c: /сторона %u, дорожка %u, сектор %u/%u/">,
    Ru<u8"запись диска %c: /сторона %u, дорожка %u, сектор %u/%u/">,
    Ru<u8"чтение диска %c: /сектор %u, количество секторов %u/">,
    Ru<u8"запись диска %c: /сектор %u, количество секторов %u/">,
    // The "c" of "макc." is the Latin c; the text ends with a blank.
    Ru<u8"выделение %u байт, доступно %u, макc. блок %u ">,
    // English, 0-5
    "creating file %s",
    "creating folder %s",
    "opening file %s",
    "write to file %s",
    "read from file %s",
    "deleting file %s",
    // English, 6-11
    "deleting catalog %s",
    "flush file buffers %s",
    "close file %s",
    "rename file %s to %s",
    "copying file %s to %s",
    "on %s : %u bytes, CRC %u; actually %u, %u",
    // English, 12-17
    "initializing disk %c:",
    "reading disk %c: /side %u, track %u, sector %u/%u/",
    "writing disk %c: /side %u, track %u, sector %u/%u/",
    "reading disk %c: /sector %u, amount %u/",
    "writing disk %c: /sector %u, amount %u/",
    "allocate %u bytes, total free %u, max. block %u",
};

// Ordinary system errors give cause 0; the other causes come from error values of
// 65536 and more.
const char* const kCauseTexts[2 * kCauseCount] = {
    // Russian, 0-6
    Ru<u8"причина неизвестна">,
    Ru<u8"не хватает ресурсов (памяти, дескрипторов и т.д.)">,
    Ru<u8"временная ситуация (запертый район в файле и т.п.)">,
    Ru<u8"проблема санкционирования">,
    Ru<u8"сбой системного программного обеспечения">,
    Ru<u8"отказ аппаратного обеспечения выполнить операцию">,
    Ru<u8"отказ системного программного обеспечения">,
    // Russian, 7-13
    Ru<u8"неверные действия прикладной программы">,
    Ru<u8"элемент данных не найден">,
    Ru<u8"элемент данных недопустимого типа или формата">,
    Ru<u8"элемент данных заперт">,
    Ru<u8"дефект магнитного носителя">,
    Ru<u8"объект уже существует">,
    Ru<u8"непредусмотренная ошибка">,
    // English, 0-6
    "cause unknown",
    "limited resource (memory, descriptors etc.)",
    "time to time situation (locked file etc.)",
    "admission problem",
    "fault of system software",
    "hardware fault of operation",
    "system failure",
    // English, 7-13
    "application operation not correct",
    "element of data not found",
    "format of data element not correct",
    "element of data locked",
    "defect of magnetic media",
    "not correct object",
    "unexpected error",
};

const char* const kRecommendationTexts[2 * kRecommendationCount] = {
    // Russian, 0-7
    Ru<u8"рекомендации отсутствуют">,
    Ru<u8"повторить разумное число раз">,
    Ru<u8"повторить разумное число раз с задержками между повторами">,
    Ru<u8"предоставить корректную информацию">,
    Ru<u8"аккуратно завершить программу">,
    Ru<u8"прервать выполнение программы">,
    Ru<u8"игнорировать ошибку">,
    Ru<u8"повторить после устранения причины">,
    // English, 0-7
    "no recommendations",
    "repeat known cases",
    "repeat known cases with pause",
    "take correct information",
    "end application",
    "halt application",
    "ignore error",
    "repeat when cause discarded",
};

// Pelcor's own errors say what the text is and, where one of the two switches would
// convert it, which; a file converted in part gets no advice, since either switch would
// garble half of it. The lines that say where a file stands go to standard error, with
// the file's name, the word for how its conversion stopped and the byte count in place
// of their three %s.
const char* const kOwnTexts[2 * kOwnTextCount] = {
    // Russian, errors
    Ru<u8"текст уже в кодовой странице 866; /866 перекодирует его в 1251">,
    Ru<u8"текст уже в кодовой странице 1251; /1251 перекодирует его в 866">,
    Ru<u8"текст в UTF-8, а не в кодовой странице 1251">,
    Ru<u8"текст в UTF-8, а не в кодовой странице 866">,
    Ru<u8"текст в KOI8-R или KOI8-U; Pelcor перекодирует только кодовые страницы 866 и 1251">,
    Ru<u8"текст в ISO-8859-5; Pelcor перекодирует только кодовые страницы 866 и 1251">,
    Ru<u8"текст в UTF-16; Pelcor перекодирует только кодовые страницы 866 и 1251">,
    Ru<u8"файл перекодирован лишь частично: его начало и конец в разных кодовых страницах">,
    Ru<u8"файл изменился, пока его перекодировали">,
    // Russian, lines
    Ru<u8"pelcor: %s: %s; от начала файла перекодировано %s байт; "
       u8"та же команда закончит перекодировку">,
    Ru<u8"pelcor: %s: %s; от начала файла перекодировано %s байт; "
       u8"продолжить перекодировку нельзя">,
    Ru<u8"pelcor: %s: перекодировка продолжается с байта %s">,
    Ru<u8"pelcor: %s: %s; от начала файла перекодировано %s байт; "
       u8"та же команда без файлов, названных перед ним, закончит перекодировку">,
    Ru<u8"pelcor: %s: %s; от начала файла перекодировано %s байт, файлы, названные перед ним, "
       u8"готовы, а после него не тронуты; та же команда закончит работу">,
    Ru<u8"прервано">,
    Ru<u8"остановлено">,
    Ru<u8"pelcor: %s: уже перекодирован, он теперь в кодовой странице %s; "
       u8"/%s перекодирует его обратно">,
    Ru<u8"pelcor: %s: тот же файл, что и %s; пропущен">,
    Ru<u8"pelcor: -: стандартный ввод закрыт">,
    Ru<u8"pelcor: -: стандартный вывод закрыт">,
    // English, errors
    "the text is in code page 866 already; /866 converts it to 1251",
    "the text is in code page 1251 already; /1251 converts it to 866",
    "the text is in UTF-8, not in code page 1251",
    "the text is in UTF-8, not in code page 866",
    "the text is in KOI8-R or KOI8-U; Pelcor converts only code pages 866 and 1251",
    "the text is in ISO-8859-5; Pelcor converts only code pages 866 and 1251",
    "the text is in UTF-16; Pelcor converts only code pages 866 and 1251",
    "the file is converted only in part: its beginning and its end are in different code pages",
    "the file changed while it was converted",
    // English, lines
    "pelcor: %s: %s; %s bytes from the start of the file are converted; the same command "
    "finishes the conversion",
    "pelcor: %s: %s; %s bytes from the start of the file are converted; the conversion "
    "cannot be resumed",
    "pelcor: %s: resuming the conversion at byte %s",
    "pelcor: %s: %s; %s bytes from the start of the file are converted; the same command "
    "without the files named before it finishes the conversion",
    "pelcor: %s: %s; %s bytes from the start of the file are converted, the files named "
    "before it are done and those after it untouched; the same command finishes the run",
    "interrupted",
    "stopped",
    "pelcor: %s: converted already, it is in code page %s now; /%s converts it back",
    "pelcor: %s: the same file as %s; skipped",
    "pelcor: -: standard input is closed",
    "pelcor: -: standard output is closed",
};

ReportTableOffsets ReportOffsets;

void SetReportLanguage(bool russian) {
  ReportOffsets.label = russian ? 0 : kLabelCount;
  ReportOffsets.recommendation = russian ? 0 : kRecommendationCount;
  ReportOffsets.own = russian ? 0 : kOwnTextCount;
  ErrorContext.actionOffset = russian ? 0 : kActionCount;
  ErrorContext.causeOffset = russian ? 0 : kCauseCount;
}

const char* LabelText(int8_t n) {
  return kLabelTexts[n + ReportOffsets.label];
}

const char* OwnText(int16_t n) {
  return kOwnTexts[n + ReportOffsets.own];
}
