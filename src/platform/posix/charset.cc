// Charset conversion for the POSIX layer. The C library's converters do the work; this
// file picks the charsets and steps over what cannot be converted.
#include <errno.h>
#include <iconv.h>
#include <langinfo.h>
#include <stdlib.h>
#include <string.h>

#include "platform/posix/posix_layer.h"

namespace {

const char* const kFixedNames[kCharsetCount] = {nullptr, nullptr, "CP1251", "CP866", "UTF-16LE"};

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

// One converter per pair of charsets, opened when first needed and kept.
iconv_t converters[kCharsetCount][kCharsetCount];
bool opened[kCharsetCount][kCharsetCount];

const char* NameOf(Charset charset) {
  if (charset == kCharsetUser) return UserCharsetName();
  if (charset == kCharsetMessages) {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr && *codeset != 0 ? codeset : "UTF-8";
  }
  return kFixedNames[charset];
}

iconv_t Converter(Charset to, Charset from) {
  if (!opened[to][from]) {
    opened[to][from] = true;
    converters[to][from] = iconv_open(NameOf(to), NameOf(from));
    if (converters[to][from] == reinterpret_cast<iconv_t>(-1)) {
      // A charset the C library does not know is taken as UTF-8.
      const char* toName = to == kCharsetUser || to == kCharsetMessages ? "UTF-8" : NameOf(to);
      const char* fromName =
          from == kCharsetUser || from == kCharsetMessages ? "UTF-8" : NameOf(from);
      converters[to][from] = iconv_open(toName, fromName);
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
  if (from == kCharsetUtf16) {
    const bool highSurrogate = left >= 4 && (in[1] & 0xFC) == 0xD8;
    return left < 2 ? left : highSurrogate ? 4 : 2;
  }
  if (IsUtf8(from)) {
    size_t length = in[0] >= 0xF0 && in[0] < 0xF8 ? 4 : in[0] >= 0xE0 ? 3 : in[0] >= 0xC2 ? 2 : 1;
    if (length > left) return left;
    for (size_t k = 1; k < length; ++k) {
      if ((in[k] & 0xC0) != 0x80) return 1;  // not a whole character: step over one byte
    }
    return length;
  }
  return 1;
}

}  // namespace

const char* UserCharsetName() {
  static char name[64];
  if (name[0] == 0) {
    const char* variables[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    for (const char* variable : variables) {
      const char* value = getenv(variable);
      if (value == nullptr || *value == 0) continue;
      if (!CharsetOfLocaleName(value, name, sizeof name)) name[0] = 0;
      break;  // the first variable that is set decides
    }
    if (name[0] == 0) strcpy(name, "UTF-8");
  }
  return name;
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
  iconv_t cd = Converter(kCharsetUtf16, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 1;
  // Room for one UTF-16 unit first, so that exactly one character comes out; a
  // character beyond the first 65536 needs the room of two.
  for (size_t room = 2; room <= 4; room += 2) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    unsigned char units[4];
    char* inPos = const_cast<char*>(in);
    size_t inLeft = inBytes;
    char* outPos = reinterpret_cast<char*>(units);
    size_t outLeft = room;
    const size_t result = iconv(cd, &inPos, &inLeft, &outPos, &outLeft);
    const int error = errno;
    if (outLeft < room) {
      const uint32_t first = units[0] | (units[1] << 8);
      const uint32_t second = room - outLeft == 4 ? units[2] | (units[3] << 8) : 0;
      *character = second != 0 ? 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00) : first;
      return static_cast<size_t>(inPos - in);
    }
    if (result != static_cast<size_t>(-1)) return 0;  // only a shift sequence so far
    if (error == E2BIG) continue;
    if (error == EINVAL) return 0;  // the rest of the character has not come yet
    break;
  }
  return 1;  // an invalid sequence: its first byte is one key of its own
}
