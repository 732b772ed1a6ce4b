#include "support/layout/layout_filter.h"

#include "codepage/char_services.h"

namespace {

// Each set is its count byte and its characters.
constexpr uint8_t kEmptySet[] = {0};
constexpr uint8_t kPhraseNoSpaceBefore[] = {6, ',', '.', ':', ';', '\'', '"'};
constexpr uint8_t kPhraseSpaceBefore[] = {4, '!', '-', '=', '?'};
constexpr uint8_t kPhraseSkipSpacesAfter[] = {2, ' ', '"'};
constexpr uint8_t kPhraseTabAfter[] = {5, ',', '.', '-', '=', '\''};
constexpr uint8_t kPhraseUpperNext[] = {3, ' ', '/', '"'};
constexpr uint8_t kEnclosedNoSpaceBefore[] = {10,  '/', '_', '-',  '=', ',',
                                              '.', ':', ';', '\'', '"'};
constexpr uint8_t kEnclosedSpaceBefore[] = {2, '!', '?'};
constexpr uint8_t kEnclosedSkipSpacesAfter[] = {3, ' ', '"', '/'};
constexpr uint8_t kEnclosedTabAfter[] = {3, ',', '.', '\''};
constexpr uint8_t kEnclosedUpperNext[] = {2, '/', '"'};

constexpr uint8_t kTab = 9;

// The working state of one call.
struct Filter {
  const uint8_t* source;  // the next source character
  const uint8_t* sourceEnd;
  uint8_t* destination;
  uint16_t written;
  uint16_t capacity;
  uint8_t pending;  // a character to process before the rest of the source; 0 for none
};

typedef void (*Handler)(Filter& f, uint8_t& c);

void HandleNoSpaceBefore(Filter& f, uint8_t&) {
  // The first of an output that is all spaces stays.
  while (f.written > 1 && f.destination[f.written - 1] == ' ')
    --f.written;
}

void HandleSpaceBefore(Filter& f, uint8_t&) {
  if (f.written == 0 || f.written == f.capacity) return;
  if (f.destination[f.written - 1] != ' ') f.destination[f.written++] = ' ';
}

void HandleLowerPrevious(Filter& f, uint8_t&) {
  if (f.written != 0)
    f.destination[f.written - 1] = CharServices.toLower(f.destination[f.written - 1]);
}

void HandleUpperPrevious(Filter& f, uint8_t&) {
  if (f.written != 0)
    f.destination[f.written - 1] = CharServices.toUpper(f.destination[f.written - 1]);
}

void HandleSkipSpacesAfter(Filter& f, uint8_t&) {
  while (f.source < f.sourceEnd && *f.source == ' ')
    ++f.source;
}

void HandleTabAfter(Filter& f, uint8_t&) {
  f.pending = kTab;
}

void HandleLowerNext(Filter&, uint8_t& c) {
  c = CharServices.toLower(c);
}

void HandleUpperNext(Filter&, uint8_t& c) {
  c = CharServices.toUpper(c);
}

// Handler i belongs to set i and options bit i.
constexpr Handler kHandlers[8] = {
    HandleNoSpaceBefore,   HandleSpaceBefore, HandleLowerPrevious, HandleUpperPrevious,
    HandleSkipSpacesAfter, HandleTabAfter,    HandleLowerNext,     HandleUpperNext,
};

uint8_t Membership(const LayoutSets& sets, uint8_t c) {
  uint8_t mask = 0;
  for (int i = 0; i < 8; ++i) {
    const uint8_t* set = sets.set[i];
    for (uint8_t k = 1; k <= set[0]; ++k) {
      if (set[k] == c) {
        mask = static_cast<uint8_t>(mask | (1u << i));
        break;
      }
    }
  }
  return mask;
}

void ApplyHandlers(Filter& f, uint8_t& c, uint8_t mask, int first, int last) {
  for (int i = first; i <= last; ++i) {
    if (mask & (1u << i)) kHandlers[i](f, c);
  }
}

}  // namespace

const LayoutSets PhraseSets = {{
    kPhraseNoSpaceBefore,
    kPhraseSpaceBefore,
    kEmptySet,
    kEmptySet,
    kPhraseSkipSpacesAfter,
    kPhraseTabAfter,
    kEmptySet,
    kPhraseUpperNext,
}};

const LayoutSets EnclosedSets = {{
    kEnclosedNoSpaceBefore,
    kEnclosedSpaceBefore,
    kEmptySet,
    kEmptySet,
    kEnclosedSkipSpacesAfter,
    kEnclosedTabAfter,
    kEmptySet,
    kEnclosedUpperNext,
}};

uint16_t LayoutFilter(const char* source, uint16_t sourceLength, char* destination,
                      uint16_t capacity, const LayoutSets& sets, uint16_t options) {
  const uint8_t* start = reinterpret_cast<const uint8_t*>(source);
  Filter f = {start, start + sourceLength, reinterpret_cast<uint8_t*>(destination), 0, capacity, 0};
  const uint8_t forced = static_cast<uint8_t>(options & 0xFF);
  // The text is treated as if a space preceded it.
  uint8_t previous = forced | Membership(sets, ' ');
  do {
    uint8_t c;
    const bool inserted = f.pending != 0;
    if (inserted) {
      c = f.pending;
      f.pending = 0;
    } else {
      c = *f.source++;
      if (c == 0) break;
    }
    ApplyHandlers(f, c, previous, 6, 7);
    uint8_t mask = forced | Membership(sets, c);
    // An inserted tab brings no further tab, or a forced TabAfter would fill the whole
    // destination with tabs and never come back to the source.
    if (inserted) mask &= static_cast<uint8_t>(~TabAfter);
    ApplyHandlers(f, c, mask, 0, 5);
    previous = mask;
    // The handlers have acted even when c itself no longer fits.
    if (f.written == f.capacity) break;
    f.destination[f.written++] = c;
  } while (f.source < f.sourceEnd);
  return f.written;
}
