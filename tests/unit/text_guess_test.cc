// The guess of a text's encoding over a corpus made here: Russian prose from the system's
// fortunes files (Debian's fortunes-ru), recoded with iconv(3), and the data that must
// convert without a word.
#include "codepage/text_guess.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>
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

// UTF-8 text in another charset; what it cannot hold is left out.
std::string Recode(const std::string& utf8, const char* charset) {
  const iconv_t cd = iconv_open(charset, "UTF-8");
  std::string out(utf8.size(), 0);
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* at = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0 && iconv(cd, &in, &inLeft, &at, &outLeft) == static_cast<size_t>(-1)) {
    ++in;  // a character the charset lacks
    --inLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

std::string Gzip(const std::string& path) {
  std::string command = "gzip -c -n < " + path;
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
    out.append(buffer, n);
  pclose(pipe);
  return out;
}

// The first bytes of UTF-8 text that hold the given number of Cyrillic letters.
std::string WithLetters(const std::string& utf8, int letters) {
  size_t at = 0;
  for (; at < utf8.size() && letters > 0; ++at)
    letters -= (utf8[at] == '\xD0' || utf8[at] == '\xD1');
  return utf8.substr(0, at + 1);
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
                      kOther = kTextInOtherPage, kUtf8 = kTextInUtf8;
// Any verdict but a refusal.
constexpr TextVerdict kAccepted = static_cast<TextVerdict>(0xFF);

bool Matches(TextVerdict verdict, TextVerdict expected) {
  if (expected != kAccepted) return verdict == expected;
  return verdict != kTextInOtherPage && verdict != kTextInUtf8;
}

struct Row {
  std::string what;
  std::string bytes;
  TextVerdict from866;  // the verdict when code page 866 is named
  TextVerdict from1251;
};

TEST(TextGuess, JudgesACorpusMadeAtTestTime) {
  std::vector<Row> rows;
  const std::string prose = Prose();
  if (prose.empty()) {
    // Only the prose rows need the package; scripts/test installs it.
    std::cout << "fortunes-ru is not installed: the rows of Russian prose are left out\n";
  } else {
    const std::string twoLines = prose.substr(0, prose.find('\n', prose.find('\n') + 1) + 1);
    for (const auto& [what, text] : {std::pair{"prose", prose},
                                     {"two lines", twoLines},
                                     {"40 letters", WithLetters(prose, 40)}}) {
      rows.push_back({std::string(what) + " in 866", Recode(text, "CP866"), kAsNamed, kOther});
      rows.push_back({std::string(what) + " in 1251", Recode(text, "CP1251"), kOther, kAsNamed});
      rows.push_back({std::string(what) + " in UTF-8", text, kUtf8, kUtf8});
    }
    // Too few letters for a verdict: the text converts as it always did.
    rows.push_back({"39 letters in 866", Recode(WithLetters(prose, 39), "CP866"), kUnd, kUnd});
    rows.push_back({"39 letters in 1251", Recode(WithLetters(prose, 39), "CP1251"), kUnd, kUnd});
    // Half of each: mixed, undecided.
    const std::string half = prose.substr(0, 20000);
    rows.push_back({"mixed",
                    Recode(half.substr(0, 10000), "CP866") + Recode(half.substr(10000), "CP1251"),
                    kUnd, kUnd});
    char path[] = "/tmp/pelcor-prose-XXXXXX";
    close(mkstemp(path));
    std::ofstream(path, std::ios::binary) << Recode(prose, "CP1251");
    rows.push_back({"gzip of prose", Gzip(path), kBin, kBin});
    unlink(path);
  }
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
}

}  // namespace
