#include "errors/report_texts.h"

#include "codepage/cp866_literal.h"

// Labels 0-3 end with a blank: the line's text follows them directly.
const TextPair kLabelTexts[kLabelCount] = {
    {Ru<u8"При выполнении операции : ">, "Action : "},
    {Ru<u8"Возникла ошибка : ">, "Error : "},
    {Ru<u8"По причине : ">, "Cause : "},
    {Ru<u8"Рекомендации : ">, "Recommendations : "},
    // The letters between the slashes are Latin I, i, R, r, A, a, then Cyrillic ones.
    {Ru<u8"? Игнорировать /I,i,И,и/ Повторить /R,r,П,п/ Отменить /A,a,О,о/ ?">,
     "? Ignore /I/ Repeat /R/ Abort /A/ ?"},
    {Ru<u8"код - %u">, "code - %u"},
};

// Indexed by ActionCode; the program itself sets only 2, 3 and 4.
const TextPair kActionTexts[kActionCount] = {
    {Ru<u8"создание файла %s">, "creating file %s"},
    {Ru<u8"создание каталога %s">, "creating folder %s"},
    {Ru<u8"открытие файла %s">, "opening file %s"},
    {Ru<u8"запись файла %s">, "write to file %s"},
    {Ru<u8"чтение файла  %s">,  // two blanks before the name
     "read from file %s"},
    {Ru<u8"удаление файла %s">, "deleting file %s"},
    {Ru<u8"удаление каталога %s">, "deleting catalog %s"},
    {Ru<u8"сброс буферов файла %s">, "flush file buffers %s"},
    {Ru<u8"закрытие файла %s">, "close file %s"},
    {Ru<u8"переименование файла %s в %s">, "rename file %s to %s"},
    {Ru<u8"копирование файла %s в %s">, "copying file %s to %s"},
    {Ru<u8"над %s : %u байт, CRC %u; фактически %u, %u">,
     "on %s : %u bytes, CRC %u; actually %u, %u"},
    {Ru<u8"обращение к диску %c:">, "initializing disk %c:"},
    {Ru<u8"чтение диска %c: /сторона %u, дорожка %u, сектор %u/%u/">,
     "reading disk %c: /side %u, track %u, sector %u/%u/"},
    {Ru<u8"запись диска %c: /сторона %u, дорожка %u, сектор %u/%u/">,
     "writing disk %c: /side %u, track %u, sector %u/%u/"},
    {Ru<u8"чтение диска %c: /сектор %u, количество секторов %u/">,
     "reading disk %c: /sector %u, amount %u/"},
    {Ru<u8"запись диска %c: /сектор %u, количество секторов %u/">,
     "writing disk %c: /sector %u, amount %u/"},
    // The "c" of "макc." is the Latin c; the text ends with a blank.
    {Ru<u8"выделение %u байт, доступно %u, макc. блок %u ">,
     "allocate %u bytes, total free %u, max. block %u"},
};

// Ordinary system errors give cause 0; the other causes come from error values of
// 65536 and more.
const TextPair kCauseTexts[kCauseCount] = {
    {Ru<u8"причина неизвестна">, "cause unknown"},
    {Ru<u8"не хватает ресурсов (памяти, дескрипторов и т.д.)">,
     "limited resource (memory, descriptors etc.)"},
    {Ru<u8"временная ситуация (запертый район в файле и т.п.)">,
     "time to time situation (locked file etc.)"},
    {Ru<u8"проблема санкционирования">, "admission problem"},
    {Ru<u8"сбой системного программного обеспечения">, "fault of system software"},
    {Ru<u8"отказ аппаратного обеспечения выполнить операцию">, "hardware fault of operation"},
    {Ru<u8"отказ системного программного обеспечения">, "system failure"},
    {Ru<u8"неверные действия прикладной программы">, "application operation not correct"},
    {Ru<u8"элемент данных не найден">, "element of data not found"},
    {Ru<u8"элемент данных недопустимого типа или формата">, "format of data element not correct"},
    {Ru<u8"элемент данных заперт">, "element of data locked"},
    {Ru<u8"дефект магнитного носителя">, "defect of magnetic media"},
    {Ru<u8"объект уже существует">, "not correct object"},
    {Ru<u8"непредусмотренная ошибка">, "unexpected error"},
};

const TextPair kRecommendationTexts[kRecommendationCount] = {
    {Ru<u8"рекомендации отсутствуют">, "no recommendations"},
    {Ru<u8"повторить разумное число раз">, "repeat known cases"},
    {Ru<u8"повторить разумное число раз с задержками между повторами">,
     "repeat known cases with pause"},
    {Ru<u8"предоставить корректную информацию">, "take correct information"},
    {Ru<u8"аккуратно завершить программу">, "end application"},
    {Ru<u8"прервать выполнение программы">, "halt application"},
    {Ru<u8"игнорировать ошибку">, "ignore error"},
    {Ru<u8"повторить после устранения причины">, "repeat when cause discarded"},
};

// Pelcor's own errors say what the text is and, where one of the two switches would
// convert it, which; a file converted in part gets no advice, since either switch would
// garble half of it. Binary data is named by its first byte that no text holds and that
// byte's offset, in hexadecimal and in decimal. The lines of an interrupted or resumed
// conversion go to standard error, with the file's name and the byte count in place of
// their two %s.
const TextPair kOwnTexts[kOwnTextCount] = {
    {Ru<u8"текст уже в кодовой странице 866; /866 перекодирует его в 1251">,
     "the text is in code page 866 already; /866 converts it to 1251"},
    {Ru<u8"текст уже в кодовой странице 1251; /1251 перекодирует его в 866">,
     "the text is in code page 1251 already; /1251 converts it to 866"},
    {Ru<u8"текст в UTF-8, а не в кодовой странице 1251">,
     "the text is in UTF-8, not in code page 1251"},
    {Ru<u8"текст в UTF-8, а не в кодовой странице 866">,
     "the text is in UTF-8, not in code page 866"},
    {Ru<u8"текст в KOI8-R или KOI8-U; Pelcor перекодирует только кодовые страницы 866 и 1251">,
     "the text is in KOI8-R or KOI8-U; Pelcor converts only code pages 866 and 1251"},
    {Ru<u8"текст в ISO-8859-5; Pelcor перекодирует только кодовые страницы 866 и 1251">,
     "the text is in ISO-8859-5; Pelcor converts only code pages 866 and 1251"},
    {Ru<u8"текст в UTF-16; Pelcor перекодирует только кодовые страницы 866 и 1251">,
     "the text is in UTF-16; Pelcor converts only code pages 866 and 1251"},
    {Ru<u8"файл перекодирован лишь частично: его начало и конец в разных кодовых страницах">,
     "the file is converted only in part: its beginning and its end are in different code pages"},
    {Ru<u8"не обычный файл: устройство">, "not a regular file: a device"},
    {Ru<u8"нельзя перезаписать на месте; чтобы перекодировать поток, укажите -">,
     "cannot be rewritten in place; use - to convert a stream"},
    {Ru<u8"файл изменился, пока его перекодировали">, "the file changed while it was converted"},
    {Ru<u8"не текст: двоичный символ 0x%s по смещению %s; Pelcor перекодирует только текст">,
     "not text: binary symbol 0x%s found at offset %s; Pelcor converts only text"},
    {Ru<u8"текст в латинской кодовой странице (западно- или центральноевропейской); "
        u8"Pelcor перекодирует только кодовые страницы 866 и 1251">,
     "the text is in a Latin code page (Western or Central European); Pelcor converts only code "
     "pages 866 and 1251"},
    // The lines that say where a file stands: the name, the word for how its conversion
    // stopped and the count of the bytes converted, in words that agree with it, fill
    // their three %s.
    {Ru<u8"pelcor: %s: %s; %s; та же команда закончит перекодировку">,
     "pelcor: %s: %s; %s; the same command finishes the conversion"},
    {Ru<u8"pelcor: %s: %s; %s; продолжить перекодировку нельзя">,
     "pelcor: %s: %s; %s; the conversion cannot be resumed"},
    {Ru<u8"pelcor: %s: перекодировка продолжается с байта %s">,
     "pelcor: %s: resuming the conversion at byte %s"},
    {Ru<u8"pelcor: %s: %s; %s; "
        u8"та же команда без файлов, названных перед ним, закончит перекодировку">,
     "pelcor: %s: %s; %s; the same command without the files named before it finishes the "
     "conversion"},
    {Ru<u8"pelcor: %s: %s; %s, файлы, названные перед ним, готовы, а после него не тронуты; "
        u8"та же команда закончит работу">,
     "pelcor: %s: %s; %s, the files named before it are done and those after it untouched; "
     "the same command finishes the run"},
    {Ru<u8"прервано">, "interrupted"},
    {Ru<u8"остановлено">, "stopped"},
    {Ru<u8"pelcor: %s: уже перекодирован, он теперь в кодовой странице %s; "
        u8"/%s перекодирует его обратно">,
     "pelcor: %s: converted already, it is in code page %s now; /%s converts it back"},
    {Ru<u8"pelcor: %s: тот же файл, что и %s; пропущен">,
     "pelcor: %s: the same file as %s; skipped"},
    {Ru<u8"pelcor: -: стандартный ввод закрыт">, "pelcor: -: standard input is closed"},
    {Ru<u8"pelcor: -: стандартный вывод закрыт">, "pelcor: -: standard output is closed"},
    {Ru<u8"pelcor: %s: %s после него; все названные файлы готовы">,
     "pelcor: %s: %s after it; every file named is done"},
};

// The count in the lines of an interrupted conversion above, one form after the other.
const TextPair kConvertedCountTexts[kCountForms] = {
    {Ru<u8"от начала файла перекодирован %s байт">,
     "%s byte from the start of the file is converted"},
    {Ru<u8"от начала файла перекодировано %s байта">,
     "%s bytes from the start of the file are converted"},
    {Ru<u8"от начала файла перекодировано %s байт">,
     "%s bytes from the start of the file are converted"},
};

const char* LabelText(Language language, int8_t n) {
  return Pick(language, kLabelTexts[n]);
}

const char* OwnText(Language language, int16_t n) {
  return Pick(language, kOwnTexts[n]);
}

const char* ConvertedCountText(Language language, uint64_t value) {
  return Pick(language, kConvertedCountTexts[CountFormOf(value, language == kRussian)]);
}
