// The guess of a text's encoding over a corpus made here: Russian prose from the system's
// fortunes files (Debian's fortunes-ru), Ukrainian, Belarusian, Bulgarian and Serbian from
// the coreutils message catalogues and Macedonian from gdk-pixbuf's (which the letter
// statistics were not counted over), recoded with iconv(3), and the data that must convert
// without a word.
#include "codepage/text_guess.h"
#include "recode.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kFortunes[] = "/usr/share/games/fortunes/ru";

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The fortunes in UTF-8, in a fixed order; empty when the package is not installed.
std::string Prose() {
  std::vector<std::string> names;
  if (DIR* folder = opendir(kFortunes)) {
    // Each file comes with an index (.dat) and a link to itself (.u8).
    while (const dirent* entry = readdir(folder)) {
      const std::string name = entry->d_name;
      if (name[0] != '.' && !EndsWith(name, ".dat") && !EndsWith(name, ".u8"))
        names.push_back(name);
    }
    closedir(folder);
  }
  std::sort(names.begin(), names.end());
  std::string prose;
  for (const std::string& name : names)
    prose += FileText(std::string(kFortunes) + "/" + name);
  return prose.substr(0, 256 * 1024);
}

// The translations of a language's message catalogue, a line each; empty when missing.
std::string Catalogue(const std::string& language, const std::string& domain) {
  const std::string mo =
      FileText("/usr/share/locale/" + language + "/LC_MESSAGES/" + domain + ".mo");
  auto word = [&](size_t at) {
    uint32_t value = 0;
    if (at + 4 <= mo.size()) memcpy(&value, mo.data() + at, 4);
    return value;
  };
  std::string text;
  // The header's count of strings and the table of their translations: length and offset.
  for (uint32_t i = 1; i < word(8); ++i) {
    const uint32_t length = word(word(16) + 8 * i), offset = word(word(16) + 8 * i + 4);
    if (offset + uint64_t{length} <= mo.size()) text += mo.substr(offset, length) + "\n";
  }
  std::replace(text.begin(), text.end(), '\0', '\n');  // the plural forms
  return text;
}

// The gzip of a text, made in a folder of the test's own; empty when there is none.
std::string Gzip(const std::string& text) {
  const char* tmp = getenv("TMPDIR");
  std::string folder = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
  folder += "/pelcor-gzip-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) return "";
  const std::string path = folder + "/text";
  std::ofstream(path, std::ios::binary) << text;
  FILE* pipe = popen(("gzip -c -n < " + path).c_str(), "r");
  std::string out;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
    out.append(buffer, n);
  pclose(pipe);
  unlink(path.c_str());
  rmdir(folder.c_str());
  return out;
}

// The first bytes of UTF-8 text that hold the given number of Cyrillic letters.
std::string WithLetters(const std::string& utf8, int letters) {
  size_t at = 0;
  for (; at < utf8.size() && letters > 0; ++at)
    letters -= (utf8[at] == '\xD0' || utf8[at] == '\xD1');
  return utf8.substr(0, at + 1);
}

// Code page 1251 text in code page 866.
std::string CP1251To866(const std::string& text) {
  std::string utf8;
  for (char c : text) {
    const uint8_t b = static_cast<uint8_t>(c);
    utf8 += b < 0xC0 ? std::string(1, c)
                     : std::string{static_cast<char>(0xD0 + (b >= 0xF0)),
                                   static_cast<char>(b >= 0xF0 ? b - 0x70 : b - 0x30)};
  }
  return Recode(utf8, "CP866");
}

// The words of code page 1251 text three at a time, in small letters where small says.
std::vector<std::string> WordGroups(const std::string& text, bool small) {
  std::vector<std::string> groups;
  std::istringstream words(text);
  std::string word, group;
  for (int i = 0; words >> word; ++i) {
    for (char& c : word)
      c = static_cast<char>(small && static_cast<uint8_t>(c) >= 0xC0 ? c | 0x20 : c);
    group += (group.empty() ? "" : " ") + word;
    if (i % 3 != 2) continue;
    groups.push_back(group);
    group.clear();
  }
  return groups;
}

TextVerdict Judge(const std::string& bytes, CodePageId named, uint32_t piece) {
  TextTally tally;
  StartTextTally(&tally);
  for (size_t at = 0; at < bytes.size(); at += piece) {
    const size_t count = std::min<size_t>(piece, bytes.size() - at);
    TallyText(&tally, reinterpret_cast<const uint8_t*>(bytes.data() + at),
              static_cast<uint32_t>(count));
  }
  return JudgeText(&tally, named);
}

constexpr TextVerdict kUnd = kTextUndecided, kBin = kTextNotText, kAsNamed = kTextAsNamed,
                      kOther = kTextInOtherPage, kUtf8 = kTextInUtf8, kKoi8 = kTextInKoi8,
                      kIso = kTextInIso88595, kUtf16 = kTextInUtf16, kLatin = kTextInLatin;
// Any verdict but a refusal; any verdict at all.
constexpr TextVerdict kAccepted = static_cast<TextVerdict>(0xFF);
constexpr TextVerdict kAny = static_cast<TextVerdict>(0xFE);

bool Matches(TextVerdict verdict, TextVerdict expected) {
  if (expected == kAny) return true;
  if (expected != kAccepted) return verdict == expected;
  return verdict == kTextUndecided || verdict == kTextNotText || verdict == kTextAsNamed;
}

struct Row {
  std::string what;
  std::string bytes;
  TextVerdict from866;  // the verdict when code page 866 is named
  TextVerdict from1251;
};

// A corpus that cannot be found leaves its rows out: where the environment says CI that
// fails the test, elsewhere the test says which and counts as skipped.
void MissedCorpora(const std::vector<std::string>& missing) {
  if (missing.empty()) return;
  std::string names;
  for (const std::string& corpus : missing)
    names += (names.empty() ? "" : ", ") + corpus;
  if (getenv("CI") != nullptr) {
    ADD_FAILURE() << "missing: " << names << "; scripts/test installs them";
  } else {
    GTEST_SKIP() << "missing, their rows left out: " << names << "; scripts/test installs them";
  }
}

TEST(TextGuess, JudgesACorpusMadeAtTestTime) {
  std::vector<Row> rows;
  std::vector<std::string> missing;
  const std::string prose = Prose();
  if (prose.empty()) {
    missing.push_back(std::string("fortunes-ru (") + kFortunes + ")");
  } else {
    const std::string twoLines = prose.substr(0, prose.find('\n', prose.find('\n') + 1) + 1);
    for (const auto& [what, text] : {std::pair{"prose", prose},
                                     {"two lines", twoLines},
                                     {"11 letters", WithLetters(prose, 11)}}) {
      rows.push_back({std::string(what) + " in 866", Recode(text, "CP866"), kAsNamed, kOther});
      rows.push_back({std::string(what) + " in 1251", Recode(text, "CP1251"), kOther, kAsNamed});
      rows.push_back({std::string(what) + " in UTF-8", text, kUtf8, kUtf8});
      rows.push_back({std::string(what) + " in KOI8-R", Recode(text, "KOI8-R"), kKoi8, kKoi8});
      rows.push_back(
          {std::string(what) + " in ISO-8859-5", Recode(text, "ISO-8859-5"), kIso, kIso});
      // As Windows saves it, with its byte-order mark; and without one, either way round.
      rows.push_back({std::string(what) + " in UTF-16", Recode(text, "UTF-16LE"), kUtf16, kUtf16});
      rows.push_back(
          {std::string(what) + " in UTF-16BE", Recode(text, "UTF-16BE"), kUtf16, kUtf16});
    }
    rows.push_back(
        {"prose in UTF-16 with its mark", "\xFF\xFE" + Recode(prose, "UTF-16LE"), kUtf16, kUtf16});
    // Too few letters for a verdict: the text converts as it always did.
    rows.push_back({"10 letters in 866", Recode(WithLetters(prose, 10), "CP866"), kUnd, kUnd});
    rows.push_back({"10 letters in 1251", Recode(WithLetters(prose, 10), "CP1251"), kUnd, kUnd});
    // A name whose other reading is likelier, but by less than the margin: undecided.
    // In 866 it is refused all the same: read in 1251 it begins with Њ, which no Russian
    // word holds.
    rows.push_back(
        {"a name in 866", Recode(std::string("Мэрилин Монро"), "CP866"), kAccepted, kOther});
    rows.push_back(
        {"a name in 1251", Recode(std::string("Мэрилин Монро"), "CP1251"), kUnd, kAccepted});
    // Half of each, judged as one text: undecided. (The guard judges a file's beginning and
    // its end apart, and refuses such a file as converted in part.)
    const std::string half = prose.substr(0, 20000);
    rows.push_back({"mixed",
                    Recode(half.substr(0, 10000), "CP866") + Recode(half.substr(10000), "CP1251"),
                    kUnd, kUnd});
    rows.push_back({"gzip of prose", Gzip(Recode(prose, "CP1251")), kBin, kBin});
    // One to three words in small letters, which code page text may form valid UTF-8 with.
    for (const std::string& group : WordGroups(Recode(prose.substr(0, 8192), "CP1251"), true)) {
      rows.push_back({group + " in 1251", group, kAny, kAccepted});
      rows.push_back({group + " in 866", CP1251To866(group), kAccepted, kAny});
    }
  }
  for (const auto& [language, domain] : {std::pair{"uk", "coreutils"},
                                         {"be", "coreutils"},
                                         {"bg", "coreutils"},
                                         {"sr", "coreutils"},
                                         {"mk", "gdk-pixbuf"}}) {
    const std::string text = Catalogue(language, domain).substr(0, 64 * 1024);
    if (text.empty()) {
      missing.push_back(std::string("the ") + domain + " catalogue of " + language);
      continue;
    }
    const std::string name = std::string(language) + " ";
    rows.push_back({name + "in 866", Recode(DosStandIns(text), "CP866"), kAsNamed, kOther});
    rows.push_back({name + "in 1251", Recode(text, "CP1251"), kOther, kAsNamed});
    rows.push_back({name + "in KOI8-U", Recode(text, "KOI8-U"), kKoi8, kKoi8});
    // And so in every alphabet of code page 1251, whose letters from ђ on stand where UTF-8
    // has its continuation bytes.
    const std::string words = Recode(text.substr(0, 8192), "CP1251");
    for (const bool small : {false, true}) {
      for (const std::string& group : WordGroups(words, small))
        rows.push_back({name + group + " in 1251", group, kAny, kAccepted});
    }
    const std::string line = text.substr(0, text.find('\n', 4096));
    rows.push_back({name + "line in 866", Recode(DosStandIns(line), "CP866"), kAsNamed, kOther});
    rows.push_back({name + "line in 1251", Recode(line, "CP1251"), kOther, kAsNamed});
  }
  // Only with the DOS Latin i that ends each word taken for a letter has it enough of them.
  rows.push_back({"Latin i", Recode(DosStandIns("Усі ці дні мені"), "CP866"), kAsNamed, kOther});
  // UTF-8 of any script, or with its mark, and code page text that is valid UTF-8 by chance:
  // "ход" in 866 is 室, "Ні" in 1251 U+0373.
  for (const char* text : {"Grüße aus München\n", "© 2002-2014 Jane Doe\n", "日本語のテキスト\n",
                           "\xEF\xBB\xBFplain ASCII\n", "Ελληνικά και 1989–2006\n"})
    rows.push_back({text, text, kUtf8, kUtf8});
  // Accented letters whose second byte is a letter of Serbian or Macedonian in 1251 (Ü is
  // "Гњ" there, č "ДЌ", ž "Еѕ"), none of them inside a word of Latin letters.
  rows.push_back({"Über čaj že", "Über čaj že\n", kUtf8, kUtf8});
  // Serbian and Macedonian in UTF-8.
  for (const char* text : {"Ђорђе Јовановић и Љубица\n", "ѕвезда, ѓаконот и ќерка\n"})
    rows.push_back({text, text, kUtf8, kUtf8});
  rows.push_back({"ход in 866", Recode(std::string("ход"), "CP866"), kAccepted, kAccepted});
  rows.push_back({"Ні in 1251", Recode(std::string("Ні"), "CP1251"), kAccepted, kAccepted});
  // Latin code pages, and Russian with Latin words or letters in it.
  rows.push_back({"German in Latin-1", Recode(std::string("Grüße aus München"), "ISO-8859-1"),
                  kLatin, kLatin});
  rows.push_back({"Polish in 1250", Recode(std::string("Zażółć gęślą jaźń, pójdźmy"), "CP1250"),
                  kLatin, kLatin});
  // Their š ž Š Ž ť ź stand where code page 1251 has Serbian and Macedonian letters.
  rows.push_back({"Croatian in 1250",
                  Recode(std::string("Đorđe je kupio čašu šećera i žute šljive; Šime, Žarko i "
                                     "Ćiro idu kući."),
                         "CP1250"),
                  kLatin, kLatin});
  rows.push_back(
      {"Czech in 1250",
       Recode(std::string("Příliš žluťoučký kůň úpěl ďábelské ódy; šťastný Žižka šel přes řeku."),
              "CP1250"),
       kLatin, kLatin});
  for (const char* text : {"ключ /866 для DOS", "comрleted oрeration", "чeлoвeкa"}) {
    rows.push_back(
        {std::string(text) + " in 866", Recode(std::string(text), "CP866"), kAccepted, kAny});
    rows.push_back(
        {std::string(text) + " in 1251", Recode(std::string(text), "CP1251"), kAny, kAccepted});
  }
  // KOI8-R rich in ч and ъ, which other letters would not make words of.
  rows.push_back({"ч and ъ in KOI8-R",
                  Recode(std::string("чуть-чуть: чей-то объезд, чай и подъезд"), "KOI8-R"), kKoi8,
                  kKoi8});
  // DOS text with the arrows ► ◄ ▲ ▼, a form feed, a printer's escape codes and the end mark.
  const std::string dos =
      "\x1B@\x1B"
      "E" +
      Recode(std::string("Нажмите "), "CP866") + "\x10 \x11" +
      Recode(std::string(" или стрелки "), "CP866") + "\x1E \x1F\r\n\f" +
      Recode(std::string("Страница вторая\r\n"), "CP866") + "\x1A";
  rows.push_back({"DOS text with arrows", dos, kAsNamed, kOther});
  std::mt19937 random(866);
  std::string noise(65536, 0);
  for (char& byte : noise)
    byte = static_cast<char>(random());
  rows.push_back({"random bytes", noise, kBin, kBin});
  std::string everyByte;
  for (int b = 0; b < 1024; ++b)
    everyByte += static_cast<char>(b);
  rows.push_back({"every byte value", everyByte, kBin, kBin});
  rows.push_back({"every byte from the blank up", everyByte.substr(32, 224), kUnd, kUnd});
  for (int b = 0; b < 256; ++b) {
    rows.push_back({"byte " + std::to_string(b) + " repeated",
                    std::string(4096, static_cast<char>(b)), kAccepted, kAccepted});
  }
  rows.push_back({"this program", FileText(PELCOR_PROGRAM), kBin, kBin});
  // Binary data that holds UTF-16 strings, as programs and .doc files do.
  std::string program = FileText(PELCOR_PROGRAM).substr(0, 256 * 1024);
  for (size_t at = 0; at < program.size(); at += 4096)
    program.insert(at, Recode(std::string("Сохранить файл как...\n"), "UTF-16LE"));
  rows.push_back({"UTF-16 strings in a program", program, kBin, kBin});
  // English in UTF-16: with the mark Windows writes it is refused, as the map would change
  // the mark; without it, it is binary data, whose ASCII the map leaves alone.
  const std::string english = Recode(std::string("Déjà vu, twice.\r\n"), "UTF-16LE");
  rows.push_back({"English in UTF-16 with its mark", "\xFF\xFE" + english, kUtf16, kUtf16});
  rows.push_back({"English in UTF-16", english, kBin, kBin});
  rows.push_back({"a program that begins with the mark", "\xFF\xFE" + program, kBin, kBin});
  // One letter over and over, in UTF-8 or UTF-16, or any other pair of bytes.
  for (int pair = 0; pair < 65536; ++pair) {
    std::string bytes;
    while (bytes.size() < 64)
      bytes += {static_cast<char>(pair >> 8), static_cast<char>(pair)};
    rows.push_back({"pair " + std::to_string(pair) + " repeated", bytes, kAccepted, kAccepted});
  }
  // A form of box-drawing lines, with labels in English and in Russian.
  std::string form, russianForm;
  for (int i = 0; i < 40; ++i)
    form += "╔═══════════╤════╗\n║ Bolts     │ 12 ║\n╚═══════════╧════╝\n";
  for (int i = 0; i < 3; ++i)
    russianForm +=
        "╔════════════════╤════════╗\n║ Наименование   │ Кол-во ║\n╟────────────────┼────────╢\n"
        "║ Болты с гайкой │ 12     ║\n║ Шайбы плоские  │ 30     ║\n╚════════════════╧════════╝\n";
  rows.push_back({"DOS form", Recode(form, "CP866"), kUnd, kUnd});
  // Its labels are Russian enough to tell the code page.
  rows.push_back({"DOS form with Russian labels", Recode(russianForm, "CP866"), kAsNamed, kOther});

  for (const Row& row : rows) {
    // Tallied whole, and in pieces that split characters: the same verdicts.
    for (uint32_t piece : {static_cast<uint32_t>(row.bytes.size() + 1), 7u}) {
      const TextVerdict from866 = Judge(row.bytes, kCodePage866, piece);
      const TextVerdict from1251 = Judge(row.bytes, kCodePage1251, piece);
      EXPECT_TRUE(Matches(from866, row.from866)) << row.what << ", /866: " << int{from866};
      EXPECT_TRUE(Matches(from1251, row.from1251)) << row.what << ", /1251: " << int{from1251};
    }
  }
  MissedCorpora(missing);
}

}  // namespace
