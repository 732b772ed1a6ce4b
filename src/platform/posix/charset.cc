// Charset conversion for the POSIX layer. The C library's converters do the work; this
// file picks the charsets and steps over what cannot be converted.
#include <errno.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "platform/posix/posix.h"
#include "text/utf8.h"

namespace {

const char* const kFixedNames[kCharsetCount] = {nullptr, nullptr, "CP1251", "CP866", "UTF-32LE"};

// The charset named after the dot of a locale name ("ru_RU.KOI8-R@x" names KOI8-R).
bool CharsetOfLocaleName(const char* locale, char* name, size_t size) {
  const char* dot = strchr(locale, '.');
  if (dot == nullptr) return false;
  size_t n = 0;
  for (const char* p = dot + 1; *p != 0 && *p != '@' && n + 1 < size; ++p)
    name[n++] = *p;
  name[n] = 0;
  return n != 0;
}

// C and POSIX name no charset of their own: their text is taken as UTF-8.
bool IsPlainLocale(const char* locale) {
  return strcmp(locale, "C") == 0 || strcmp(locale, "POSIX") == 0;
}

// One converter per pair of charsets, opened when first needed and kept.
iconv_t converters[kCharsetCount][kCharsetCount];
bool opened[kCharsetCount][kCharsetCount];

// The iconv name of a charset; with fallback, the name tried once its own has failed: a
// user's or messages' charset that the C library does not know is taken as UTF-8.
const char* NameOf(Charset charset, bool fallback = false) {
  if (charset == kCharsetUser) return fallback ? "UTF-8" : UserCharsetName();
  if (charset == kCharsetMessages) {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr && *codeset != 0 && !fallback ? codeset : "UTF-8";
  }
  return kFixedNames[charset];
}

iconv_t Converter(Charset to, Charset from) {
  if (!opened[to][from]) {
    opened[to][from] = true;
    converters[to][from] = iconv_open(NameOf(to), NameOf(from));
    if (converters[to][from] == reinterpret_cast<iconv_t>(-1)) {
      converters[to][from] = iconv_open(NameOf(to, true), NameOf(from, true));
    }
  }
  return converters[to][from];
}

bool IsUtf8(Charset charset) {
  const char* name = NameOf(charset);
  return strcasecmp(name, "UTF-8") == 0 || strcasecmp(name, "utf8") == 0;
}

// How many input bytes to step over at an unconvertible or invalid sequence.
size_t SkipLength(Charset from, const unsigned char* in, size_t left) {
  if (IsUtf8(from)) {
    const size_t length = Utf8SequenceLength(in[0]);
    if (length > left) return left;
    for (size_t k = 1; k < length; ++k) {
      if ((in[k] & 0xC0) != 0x80) return 1;  // not a whole character: step over one byte
    }
    return length;
  }
  return 1;
}

}  // namespace

const char* UserLocaleName(int category) {
  const char* variables[] = {"LC_ALL", category == LC_MESSAGES ? "LC_MESSAGES" : "LC_CTYPE",
                             "LANG"};
  for (const char* variable : variables) {
    const char* value = getenv(variable);
    if (value != nullptr && *value != 0) return value;
  }
  return nullptr;
}

const char* UserCharsetName() {
  static char name[64];
  if (name[0] == 0) {
    // Where the C library took the user's locale, it knows the charset ("ru_RU" is
    // ISO-8859-5 there); otherwise the name may say it after its dot.
    const char* locale = UserLocaleName(LC_CTYPE);
    const char* taken = setlocale(LC_CTYPE, nullptr);
    const char* codeset = nl_langinfo(CODESET);
    if (locale != nullptr && !IsPlainLocale(locale) && taken != nullptr && !IsPlainLocale(taken) &&
        codeset != nullptr && *codeset != 0 && strlen(codeset) < sizeof name) {
      strcpy(name, codeset);
    } else if (locale == nullptr || !CharsetOfLocaleName(locale, name, sizeof name)) {
      strcpy(name, "UTF-8");
    }
  }
  return name;
}

void RequireConversions() {
  // Every pair that some service converts between: console text, names in reports,
  // the system's messages and keys.
  const Charset pairs[][2] = {
      {kCharsetUser, kCharsetOem}, {kCharsetOem, kCharsetUser},   {kCharsetAnsi, kCharsetMessages},
      {kCharsetOem, kCharsetAnsi}, {kCharsetUtf32, kCharsetUser},
  };
  for (const auto& pair : pairs) {
    if (Converter(pair[0], pair[1]) != reinterpret_cast<iconv_t>(-1)) continue;
    // The reason in English and plain ASCII, whatever the user's language and charset.
    const int error = errno;
    const locale_t plain = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    char line[256];
    snprintf(line, sizeof line,
             "pelcor: the C library cannot convert from %s to %s: %s; "
             "nothing was converted.",
             NameOf(pair[1], true), NameOf(pair[0], true),
             plain != static_cast<locale_t>(nullptr) ? strerror_l(error, plain) : "unknown reason");
    for (char& c : line)
      c = c == 0 || (c >= 0x20 && c < 0x7F) ? c : '?';
    PlatformWriteErrorLine(line);
    _exit(1);
  }
}

size_t ConvertCharset(Charset to, Charset from, const char* in, size_t inBytes, char* out,
                      size_t outBytes, const char* substitute, size_t substituteBytes,
                      size_t* replaced) {
  if (replaced != nullptr) *replaced = 0;
  iconv_t cd = Converter(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPos = const_cast<char*>(in);
  size_t inLeft = inBytes;
  char* outPos = out;
  size_t outLeft = outBytes;
  while (inLeft > 0) {
    if (iconv(cd, &inPos, &inLeft, &outPos, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) break;
    // EILSEQ or EINVAL: an unconvertible character, an invalid or a cut sequence.
    const size_t skip = SkipLength(from, reinterpret_cast<unsigned char*>(inPos), inLeft);
    inPos += skip;
    inLeft -= skip;
    if (replaced != nullptr) ++*replaced;
    if (substituteBytes > outLeft) break;
    memcpy(outPos, substitute, substituteBytes);
    outPos += substituteBytes;
    outLeft -= substituteBytes;
  }
  // Finish any shift sequence of a stateful target.
  iconv(cd, nullptr, nullptr, &outPos, &outLeft);
  return static_cast<size_t>(outPos - out);
}

size_t DecodeCharacter(Charset from, const char* in, size_t inBytes, uint32_t* character) {
  *character = 0xFFFD;
  iconv_t cd = Converter(kCharsetUtf32, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 1;
  // Room for one character, so that exactly one comes out.
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  unsigned char value[4];
  char* inPos = const_cast<char*>(in);
  size_t inLeft = inBytes;
  char* outPos = reinterpret_cast<char*>(value);
  size_t outLeft = sizeof value;
  const size_t result = iconv(cd, &inPos, &inLeft, &outPos, &outLeft);
  if (outLeft == 0) {
    *character = value[0] | value[1] << 8 | value[2] << 16 | static_cast<uint32_t>(value[3]) << 24;
    return static_cast<size_t>(inPos - in);
  }
  // Only a shift sequence so far, or the rest of the character has not come yet.
  if (result != static_cast<size_t>(-1) || errno == EINVAL) return 0;
  return 1;  // an invalid sequence: its first byte is one key of its own
}
