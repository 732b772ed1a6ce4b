// The text layout filter: copies a text to a bounded destination and tidies it on the
// way, removing or inserting spaces around punctuation, collapsing runs of spaces,
// inserting tabs and changing the case of letters next to given characters. What happens
// to each character is decided by eight character sets, one per handler, and an options
// word that can make every character a member of any set.
#pragma once

#include <stdint.h>

/// Options bits. Bits 0 to 7 make every character a member of set 0 to 7 and so select
/// the handler of that set for it; the filter ignores bits 8 to 15.
enum LayoutOption : uint16_t {
  /// Before the character is written, trailing spaces are removed from the output; when
  /// the output is spaces only, the first of them stays.
  NoSpaceBefore = 1u << 0,
  /// Before the character is written, one space is appended, unless the output is empty,
  /// already ends with a space, or is full.
  SpaceBefore = 1u << 1,
  /// The last character written is lower-cased (slot 1 of CharServices).
  LowerPrevious = 1u << 2,
  /// The last character written is upper-cased (slot 0 of CharServices).
  UpperPrevious = 1u << 3,
  /// The spaces that follow the character in the source are skipped.
  SkipSpacesAfter = 1u << 4,
  /// A tab is processed next, ahead of the rest of the source.
  TabAfter = 1u << 5,
  /// The next character processed is lower-cased.
  LowerNext = 1u << 6,
  /// The next character processed is upper-cased; it wins over LowerNext.
  UpperNext = 1u << 7,
  /// LayoutEnclosed only: the middle part is written between two delimiters.
  EncloseMiddle = 1u << 15,
};

/// Eight counted character sets, set i belonging to options bit i. Each set is a count
/// byte followed by that many characters; a count of 0 is an empty set.
struct LayoutSets {
  const uint8_t* set[8];
};

/// The sets of LayoutPhrase and of LayoutEnclosed.
extern const LayoutSets PhraseSets;
extern const LayoutSets EnclosedSets;

/// Filters sourceLength characters of source into destination, writing at most capacity
/// characters and no terminator; returns the number written. A source character of 0 ends
/// the copy. The first character is read even when sourceLength is 0, so a zero-length
/// source must begin with its terminator. The text is treated as if a space preceded it.
uint16_t LayoutFilter(const char* source, uint16_t sourceLength, char* destination,
                      uint16_t capacity, const LayoutSets& sets, uint16_t options);

/// Filters text, less its leading spaces, with PhraseSets into destination of size bytes,
/// terminator included, and terminates it. Returns destination. A size of 0 writes
/// nothing.
char* LayoutPhrase(const char* text, char* destination, uint16_t size, uint16_t options);

/// Splits text, less its leading spaces, at delimiter into a first part, a middle part and
/// a last part, and writes them with EnclosedSets into destination of size bytes,
/// terminator included: the first part with outerOptions and a space after it, the middle
/// part with middleOptions, its first letter upper-cased, between two delimiters when
/// outerOptions has EncloseMiddle, then a space and the last part with outerOptions. A text
/// without a delimiter, or whose first delimiter is its last character, is filtered whole
/// with middleOptions in place of outerOptions, EncloseMiddle included. Output that does
/// not fit is cut; a middle part that fills the destination ends the result with what
/// fitted of it, as filtered (first letter unchanged, no closing delimiter). Returns
/// destination; a size of 0 writes nothing.
char* LayoutEnclosed(const char* text, char* destination, uint16_t size, char delimiter,
                     uint16_t middleOptions, uint16_t outerOptions);
