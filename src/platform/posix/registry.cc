// The registry, as far as the program reads it: "iCountry" under
// HKEY_CURRENT_USER\Control Panel\International, answered from the user's message
// locale. Its territory's international calling code is the value, so that a Russian
// locale gives Russian messages as a Russian Windows does.
#include <errno.h>
#include <locale.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include "platform/posix/posix_layer.h"

namespace {

struct CallingCode {
  char territory[3];
  char code[5];
};

// ISO 3166 territories and their calling codes, a row comment every few letters.
// clang-format off
const CallingCode kCallingCodes[] = {
    // A
    {"AD", "376"}, {"AE", "971"}, {"AF", "93"},  {"AG", "1"},   {"AL", "355"}, {"AM", "374"},
    {"AO", "244"}, {"AR", "54"},  {"AT", "43"},  {"AU", "61"},  {"AW", "297"}, {"AZ", "994"},
    // B
    {"BA", "387"}, {"BB", "1"},   {"BD", "880"}, {"BE", "32"},  {"BF", "226"}, {"BG", "359"},
    {"BH", "973"}, {"BI", "257"}, {"BJ", "229"}, {"BN", "673"}, {"BO", "591"}, {"BR", "55"},
    {"BS", "1"},   {"BT", "975"}, {"BW", "267"}, {"BY", "375"}, {"BZ", "501"},
    // C
    {"CA", "1"},   {"CD", "243"}, {"CF", "236"}, {"CG", "242"}, {"CH", "41"},  {"CI", "225"},
    {"CL", "56"},  {"CM", "237"}, {"CN", "86"},  {"CO", "57"},  {"CR", "506"}, {"CU", "53"},
    {"CV", "238"}, {"CY", "357"}, {"CZ", "420"},
    // D to F
    {"DE", "49"},  {"DJ", "253"}, {"DK", "45"},  {"DM", "1"},   {"DO", "1"},   {"DZ", "213"},
    {"EC", "593"}, {"EE", "372"}, {"EG", "20"},  {"ER", "291"}, {"ES", "34"},  {"ET", "251"},
    {"FI", "358"}, {"FJ", "679"}, {"FO", "298"}, {"FR", "33"},
    // G to H
    {"GA", "241"}, {"GB", "44"},  {"GD", "1"},   {"GE", "995"}, {"GH", "233"}, {"GI", "350"},
    {"GL", "299"}, {"GM", "220"}, {"GN", "224"}, {"GQ", "240"}, {"GR", "30"},  {"GT", "502"},
    {"GW", "245"}, {"GY", "592"}, {"HK", "852"}, {"HN", "504"}, {"HR", "385"}, {"HT", "509"},
    {"HU", "36"},
    // I to K
    {"ID", "62"},  {"IE", "353"}, {"IL", "972"}, {"IN", "91"},  {"IQ", "964"}, {"IR", "98"},
    {"IS", "354"}, {"IT", "39"},  {"JM", "1"},   {"JO", "962"}, {"JP", "81"},  {"KE", "254"},
    {"KG", "996"}, {"KH", "855"}, {"KM", "269"}, {"KN", "1"},   {"KP", "850"}, {"KR", "82"},
    {"KW", "965"}, {"KZ", "7"},
    // L to M
    {"LA", "856"}, {"LB", "961"}, {"LC", "1"},   {"LI", "423"}, {"LK", "94"},  {"LR", "231"},
    {"LS", "266"}, {"LT", "370"}, {"LU", "352"}, {"LV", "371"}, {"LY", "218"}, {"MA", "212"},
    {"MC", "377"}, {"MD", "373"}, {"ME", "382"}, {"MG", "261"}, {"MK", "389"}, {"ML", "223"},
    {"MM", "95"},  {"MN", "976"}, {"MO", "853"}, {"MR", "222"}, {"MT", "356"}, {"MU", "230"},
    {"MV", "960"}, {"MW", "265"}, {"MX", "52"},  {"MY", "60"},  {"MZ", "258"},
    // N to P
    {"NA", "264"}, {"NE", "227"}, {"NG", "234"}, {"NI", "505"}, {"NL", "31"},  {"NO", "47"},
    {"NP", "977"}, {"NZ", "64"},  {"OM", "968"}, {"PA", "507"}, {"PE", "51"},  {"PG", "675"},
    {"PH", "63"},  {"PK", "92"},  {"PL", "48"},  {"PR", "1"},   {"PS", "970"}, {"PT", "351"},
    {"PY", "595"},
    // Q to S
    {"QA", "974"}, {"RO", "40"},  {"RS", "381"}, {"RU", "7"},   {"RW", "250"}, {"SA", "966"},
    {"SC", "248"}, {"SD", "249"}, {"SE", "46"},  {"SG", "65"},  {"SI", "386"}, {"SK", "421"},
    {"SL", "232"}, {"SM", "378"}, {"SN", "221"}, {"SO", "252"}, {"SR", "597"}, {"SS", "211"},
    {"SV", "503"}, {"SY", "963"}, {"SZ", "268"},
    // T to U
    {"TD", "235"}, {"TG", "228"}, {"TH", "66"},  {"TJ", "992"}, {"TL", "670"}, {"TM", "993"},
    {"TN", "216"}, {"TR", "90"},  {"TT", "1"},   {"TW", "886"}, {"TZ", "255"}, {"UA", "380"},
    {"UG", "256"}, {"US", "1"},   {"UY", "598"}, {"UZ", "998"},
    // V to Z
    {"VA", "39"},  {"VC", "1"},   {"VE", "58"},  {"VN", "84"},  {"YE", "967"}, {"ZA", "27"},
    {"ZM", "260"}, {"ZW", "263"},
};
// clang-format on

// The single key the layer knows.
struct PlatformKeyRecord {
  int unused;
} internationalKey;

// The calling code of the message locale's territory ("ru_RU.UTF-8" gives "7"), or
// nullptr when the locale names no territory or one the table lacks.
const char* CountryValue() {
  const char* locale = UserLocaleName(LC_MESSAGES);
  if (locale == nullptr) return nullptr;
  const char* underscore = strchr(locale, '_');
  if (underscore == nullptr) return nullptr;
  const char* territory = underscore + 1;
  const size_t length = strcspn(territory, ".@");
  if (length != 2) return nullptr;
  for (const CallingCode& row : kCallingCodes) {
    if (strncasecmp(row.territory, territory, 2) == 0) return row.code;
  }
  return nullptr;
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  (void)options;
  (void)access;
  if (key != HKEY_CURRENT_USER || subKey == nullptr ||
      strcasecmp(subKey, "Control Panel\\International") != 0) {
    return ERROR_FILE_NOT_FOUND;
  }
  *result = reinterpret_cast<HKEY>(&internationalKey);
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
  (void)reserved;
  const char* value = nullptr;
  if (key == reinterpret_cast<HKEY>(&internationalKey) && valueName != nullptr &&
      strcasecmp(valueName, "iCountry") == 0) {
    value = CountryValue();
  }
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  const DWORD size = static_cast<DWORD>(strlen(value) + 1);
  if (type != nullptr) *type = REG_SZ;
  if (data != nullptr) {
    if (dataSize == nullptr || *dataSize < size) {
      if (dataSize != nullptr) *dataSize = size;
      return ERROR_MORE_DATA;
    }
    memcpy(data, value, size);
  }
  if (dataSize != nullptr) *dataSize = size;
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
  return key == reinterpret_cast<HKEY>(&internationalKey) ? ERROR_SUCCESS : EBADF;
}
