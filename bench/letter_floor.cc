// The curve the guess's letter floor is chosen from: for each count of letters, how many
// passages of that many letters in the wrong code page are refused as such (866 text said to
// be 1251, 1251 text said to be 866, and both), and how many in the right one are refused
// all the same.
//
//   letter_floor FILE...   UTF-8 text of one language a file
//
// A passage is the shortest run of whole words that holds the count of Cyrillic letters,
// from a word chosen at random; 10,000 of them a count, each judged in code page 866 and
// in 1251, named rightly and wrongly. In code page 866 the Latin i stands for і, and the
// nearest letters for the letters of Serbian and Macedonian.
#include <stdio.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

// The guess itself, with a letter floor that each line of the curve sets.
uint32_t LetterFloor;
#define GUESS_LETTER_FLOOR LetterFloor
#include "codepage/text_guess.cc"
#include "recode.h"

namespace {

constexpr int kPassages = 10000;

bool IsCyrillicLead(unsigned char c) {
  return c == 0xD0 || c == 0xD1 || c == 0xD2;
}

TextVerdict Judge(const std::string& bytes, CodePageId named) {
  TextTally tally;
  StartTextTally(&tally);
  TallyText(&tally, reinterpret_cast<const uint8_t*>(bytes.data()),
            static_cast<uint32_t>(bytes.size()));
  return JudgeText(&tally, named);
}

bool Refused(TextVerdict verdict) {
  return verdict != kTextUndecided && verdict != kTextNotText && verdict != kTextAsNamed;
}

}  // namespace

int main(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    std::ifstream file(argv[i], std::ios::binary);
    std::ostringstream all;
    all << file.rdbuf();
    text += all.str() + "\n";
  }
  // Where each word starts and ends, and the Cyrillic letters it holds.
  std::vector<size_t> starts, ends;
  std::vector<int> letters;
  for (size_t at = 0; at < text.size();) {
    while (at < text.size() && isspace(static_cast<unsigned char>(text[at])))
      ++at;
    if (at == text.size()) break;
    starts.push_back(at);
    int count = 0;
    while (at < text.size() && !isspace(static_cast<unsigned char>(text[at])))
      count += IsCyrillicLead(text[at++]);
    ends.push_back(at);
    letters.push_back(count);
  }
  printf(
      "letters  866 as 1251  1251 as 866  recognised  false refusals  (of %d passages a "
      "code page)\n",
      kPassages);
  for (int floor = 4; floor <= 40; ++floor) {
    LetterFloor = floor;
    std::mt19937 random(floor);
    int recognised866 = 0, recognised1251 = 0, falseRefusals = 0, judged = 0;
    while (judged < kPassages) {
      const size_t first = random() % starts.size();
      size_t last = first;
      int count = letters[first];
      while (count < floor && last + 1 < starts.size())
        count += letters[++last];
      if (count < floor) continue;
      const std::string passage = text.substr(starts[first], ends[last] - starts[first]);
      bool whole866 = false, whole1251 = false;
      const std::string in866 = Recode(DosStandIns(passage), "CP866", &whole866);
      const std::string in1251 = Recode(passage, "CP1251", &whole1251);
      if (!whole866 || !whole1251) continue;  // a letter neither page has
      ++judged;
      recognised866 += Judge(in866, kCodePage1251) == kTextInOtherPage;
      recognised1251 += Judge(in1251, kCodePage866) == kTextInOtherPage;
      falseRefusals += Refused(Judge(in866, kCodePage866)) + Refused(Judge(in1251, kCodePage1251));
    }
    const double percent = 100.0 / kPassages;
    printf("%7d  %10.2f%%  %10.2f%%  %9.2f%%  %14d\n", floor, percent * recognised866,
           percent * recognised1251, percent * (recognised866 + recognised1251) / 2, falseRefusals);
  }
  return 0;
}
