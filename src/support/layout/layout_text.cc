#include "codepage/char_services.h"
#include "support/layout/layout_filter.h"
#include "support/more_strings.h"
#include "support/regions.h"
#include "text/strings.h"

namespace {

// The length of text up to its terminator, counted no further than a 16-bit count goes.
uint16_t ShortLength(const char* text) {
  return static_cast<uint16_t>(StrLengthMax(text, UINT16_MAX));
}

// A part of the text: where it starts and how many characters it has.
struct Part {
  const char* start;
  uint16_t length;
};

Part SkipLeadingSpaces(Part part) {
  while (part.length > 0 && *part.start == ' ') {
    ++part.start;
    --part.length;
  }
  return part;
}

const char* FindDelimiter(Part part, char delimiter) {
  return reinterpret_cast<const char*>(
      MemFindByte(part.start, part.length, static_cast<uint8_t>(delimiter)));
}

// The three parts of LayoutEnclosed's text. enclosed is false when the text has no
// delimiter, or only one as its last character: the first part is then the whole text.
struct Parts {
  Part first, middle, last;
  bool enclosed;
};

Parts SplitAtDelimiter(Part whole, char delimiter) {
  const char* end = whole.start + whole.length;
  const Part none = {end, 0};
  const char* open = FindDelimiter(whole, delimiter);
  if (open == nullptr || open == end - 1) return {whole, none, none, false};
  const Part first = {whole.start, static_cast<uint16_t>(open - whole.start)};
  Part middle = {open + 1, static_cast<uint16_t>(end - (open + 1))};
  const char* close = FindDelimiter(middle, delimiter);
  if (close == nullptr) return {first, middle, none, true};
  middle.length = static_cast<uint16_t>(close - middle.start);
  return {first, middle, {close + 1, static_cast<uint16_t>(end - (close + 1))}, true};
}

void UpperFirst(char* c) {
  *c = static_cast<char>(CharServices.toUpper(static_cast<uint8_t>(*c)));
}

// The output of LayoutEnclosed. room counts the bytes left, the terminator's included, so
// the output is full when room is 1.
struct Output {
  char* destination;
  char* end;
  uint16_t room;

  bool Full() const { return room == 1; }
  void Append(char c) {
    if (room > 1) {
      *end++ = c;
      --room;
    }
  }
  // Filters part into the room left before the terminator; returns where its output
  // began.
  char* Filter(Part part, uint16_t options) {
    char* begun = end;
    const uint16_t n = LayoutFilter(part.start, part.length, end, room - 1, EnclosedSets, options);
    end += n;
    room = static_cast<uint16_t>(room - n);
    return begun;
  }
  char* Finish() {
    *end = 0;
    return destination;
  }
};

// Writes the first part and the blank after it; true when that completes the result.
bool WriteFirst(Output& out, const Parts& parts, uint16_t options) {
  if (parts.first.length == 0) return false;
  char* begun = out.Filter(parts.first, options);
  if (parts.middle.length == 0) {
    if (out.end != begun) UpperFirst(begun);
    return true;
  }
  if (out.Full()) return true;
  if (out.end == begun || out.end[-1] != ' ') out.Append(' ');
  return out.Full();
}

// Writes the middle part, between its delimiters where the options ask for them; true
// when that completes the result.
bool WriteMiddle(Output& out, Part middle, char delimiter, uint16_t middleOptions,
                 uint16_t outerOptions) {
  if (outerOptions & EncloseMiddle) out.Append(delimiter);
  if (out.Full()) return true;
  middle = SkipLeadingSpaces(middle);
  if (middle.length != 0) {
    // A middle part that fills the room ends the result at once, as the filter wrote
    // it: no case change, no space taken off, and so no closing delimiter that would
    // make the cut part look whole.
    char* begun = out.Filter(middle, middleOptions);
    if (out.Full()) return true;
    if (out.end != begun) {
      UpperFirst(begun);
      if (out.end[-1] == ' ') {
        --out.end;
        ++out.room;
      }
    }
  }
  if (outerOptions & EncloseMiddle) out.Append(delimiter);
  return out.Full();
}

}  // namespace

char* LayoutPhrase(const char* text, char* destination, uint16_t size, uint16_t options) {
  // Without a byte for the terminator there is nothing that may be written.
  if (size == 0) return destination;
  const char* rest = StrSkipChar(text, ' ');
  const uint16_t n =
      LayoutFilter(rest, ShortLength(rest), destination, size - 1, PhraseSets, options);
  destination[n] = 0;
  return destination;
}

char* LayoutEnclosed(const char* text, char* destination, uint16_t size, char delimiter,
                     uint16_t middleOptions, uint16_t outerOptions) {
  if (size == 0) return destination;
  Output out = {destination, destination, size};
  if (out.Full()) return out.Finish();
  const char* rest = StrSkipChar(text, ' ');
  const Parts parts = SplitAtDelimiter({rest, ShortLength(rest)}, delimiter);
  // Nothing to enclose: the whole text is filtered as the middle part would be.
  if (!parts.enclosed) outerOptions = middleOptions;
  if (WriteFirst(out, parts, outerOptions) ||
      WriteMiddle(out, parts.middle, delimiter, middleOptions, outerOptions))
    return out.Finish();
  out.Append(' ');
  const Part last = SkipLeadingSpaces(parts.last);
  if (last.length != 0) out.Filter(last, outerOptions);
  return out.Finish();
}
