#include "startup/command_tail.h"

#include "codepage/byte_maps.h"
#include "platform/platform.h"
#include "text/strings.h"

namespace {

bool IsNameByte(unsigned char c) {
  const unsigned char folded = c | 0x20;
  return c == '.' || (folded >= 'a' && folded <= 'z');
}

}  // namespace

char* ExtractCommandTail(const char* commandLine, char* destination) {
  const char* p = commandLine;
  if (*p == '"') {
    // Skip the quoted program name with its closing quote, looking no further than the
    // end of the text or kQuoteScanLimit bytes.
    ++p;
    uint32_t scanned = 0;
    while (*p != 0 && scanned < kQuoteScanLimit) {
      ++scanned;
      if (*p++ == '"') break;
    }
  }
  // An unquoted program name: letters and full stops only, so "C:\..." stops at the colon.
  while (IsNameByte(static_cast<unsigned char>(*p)))
    ++p;
  while (*p == ' ' || *p == '\t')
    ++p;
  return StrCopyMax(destination, p, kTailLimit);
}

char* GetCommandTail(char* destination) {
  return ExtractCommandTail(GetCommandLineA(), destination);
}

void ParseSwitch(char* tail) {
  char* found = StrFind(tail, "/866");
  if (found != nullptr) {
    ByteConverter = MapCp866ToCp1251;
  } else {
    found = StrFind(tail, "/1251");
    ByteConverter = MapCp1251ToCp866;
  }
  // A switch at the very first byte has no byte before it to cut; the tail then names a
  // file called /866 or /1251.
  if (found != nullptr && found != tail) found[-1] = 0;
}
