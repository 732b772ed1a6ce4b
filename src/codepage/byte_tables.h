// The two byte maps as tables, one for each direction, filled by the compiler from where each
// character lies in each code page. A character both code pages have comes out as itself; a
// character the other code page has not got becomes, in one byte, what a reader of the text
// would write in its place, and never a letter where there was a sign: a sign without a
// look-alike of the same meaning becomes ?, as a reader would not take ‰ for %.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "codepage/cp866_layout.h"

/// What each byte becomes.
struct ByteTable {
  alignas(64) uint8_t bytes[256];
};

/// A character both code pages have, besides ASCII, the Russian letters and №, at its
/// place in each.
struct SharedPlace {
  uint8_t cp866;
  uint8_t cp1251;
};

inline constexpr SharedPlace kSharedPlaces[] = {
    {0xFF, 0xA0},  // no-break space
    {0xF8, 0xB0},  // ° degree sign
    {0xFA, 0xB7},  // · middle dot
    {0xFD, 0xA4},  // ¤ currency sign
    {0xF2, 0xAA},  // Є
    {0xF3, 0xBA},  // є
    {0xF4, 0xAF},  // Ї
    {0xF5, 0xBF},  // ї
    {0xF6, 0xA1},  // Ў
    {0xF7, 0xA2},  // ў
    // Two characters, but each the other's nearest, so that they come back too.
    {0xF9, 0x95},  // ∙ bullet operator (866), • bullet (1251)
};

/// Bytes, first to last, whose characters the other code page has not got, and the
/// character written in their place there: ASCII or a Russian letter.
struct LookAlike {
  uint8_t first;
  uint8_t last;
  char16_t character;
};

inline constexpr LookAlike kCp866LookAlikes[] = {
    {0xB0, 0xB2, u'#'},  // ░ ▒ ▓
    {0xB3, 0xB3, u'|'},  // │
    {0xB4, 0xB9, u'+'},  // ┤ ╡ ╢ ╖ ╕ ╣
    {0xBA, 0xBA, u'|'},  // ║
    {0xBB, 0xC3, u'+'},  // ╗ ╝ ╜ ╛ ┐ └ ┴ ┬ ├
    {0xC4, 0xC4, u'-'},  // ─
    {0xC5, 0xCC, u'+'},  // ┼ ╞ ╟ ╚ ╔ ╩ ╦ ╠
    {0xCD, 0xCD, u'='},  // ═
    {0xCE, 0xDA, u'+'},  // ╬ ╧ ╨ ╤ ╥ ╙ ╘ ╒ ╓ ╫ ╪ ┘ ┌
    {0xDB, 0xDF, u'#'},  // █ ▄ ▌ ▐ ▀
    {0xFB, 0xFB, u'?'},  // √
    {0xFE, 0xFE, u'#'},  // ■
};

inline constexpr LookAlike kCp1251LookAlikes[] = {
    {0x80, 0x80, u'Д'},   // Ђ
    {0x81, 0x81, u'Г'},   // Ѓ
    {0x82, 0x82, u'\''},  // ‚
    {0x83, 0x83, u'г'},   // ѓ
    {0x84, 0x84, u'"'},   // „
    {0x85, 0x85, u'.'},   // …
    {0x86, 0x89, u'?'},   // † ‡ € ‰
    {0x8A, 0x8A, u'Л'},   // Љ
    {0x8B, 0x8B, u'<'},   // ‹
    {0x8C, 0x8C, u'Н'},   // Њ
    {0x8D, 0x8D, u'К'},   // Ќ
    {0x8E, 0x8E, u'Ч'},   // Ћ
    {0x8F, 0x8F, u'Д'},   // Џ
    {0x90, 0x90, u'д'},   // ђ
    {0x91, 0x92, u'\''},  // ‘ ’
    {0x93, 0x94, u'"'},   // “ ”
    {0x96, 0x97, u'-'},   // – —
    {0x98, 0x98, u'?'},   // no character
    {0x99, 0x99, u'?'},   // ™
    {0x9A, 0x9A, u'л'},   // љ
    {0x9B, 0x9B, u'>'},   // ›
    {0x9C, 0x9C, u'н'},   // њ
    {0x9D, 0x9D, u'к'},   // ќ
    {0x9E, 0x9E, u'ч'},   // ћ
    {0x9F, 0x9F, u'д'},   // џ
    {0xA3, 0xA3, u'J'},   // Ј
    {0xA5, 0xA5, u'Г'},   // Ґ
    {0xA6, 0xA6, u'|'},   // ¦
    {0xA7, 0xA7, u'?'},   // §
    {0xAB, 0xAB, u'"'},   // «
    {0xAC, 0xAC, u'?'},   // ¬
    {0xAD, 0xAD, u'-'},   // soft hyphen
    {0xAE, 0xAE, u'?'},   // ®
    {0xB1, 0xB1, u'?'},   // ±
    {0xB2, 0xB2, u'I'},   // І
    {0xB3, 0xB3, u'i'},   // і
    {0xB4, 0xB4, u'г'},   // ґ
    {0xB5, 0xB6, u'?'},   // µ ¶
    {0xBB, 0xBB, u'"'},   // »
    {0xBC, 0xBC, u'j'},   // ј
    {0xBD, 0xBD, u'S'},   // Ѕ
    {0xBE, 0xBE, u's'},   // ѕ
};

// Not a constant expression: a table that names a byte twice or leaves one out does not
// compile.
inline void ByteNamedTwiceOrNever() {}
inline void NotAsciiOrARussianLetter() {}

template <size_t lookAlikeCount>
constexpr ByteTable BuildByteTable(const CyrillicLayout& from, const CyrillicLayout& to,
                                   bool from866, const LookAlike (&lookAlikes)[lookAlikeCount]) {
  ByteTable table = {};
  bool named[256] = {};
  auto name = [&](uint8_t byte, uint8_t result) {
    if (named[byte]) ByteNamedTwiceOrNever();
    named[byte] = true;
    table.bytes[byte] = result;
  };
  for (int byte = 0; byte < 0x80; ++byte)
    name(static_cast<uint8_t>(byte), static_cast<uint8_t>(byte));
  for (uint32_t c = 0x410; c < 0x450; ++c)  // А..я
    name(LetterPlace(c, from), LetterPlace(c, to));
  const uint32_t singles[] = {0x401, 0x451, 0x2116};  // Ё ё №
  for (uint32_t c : singles)
    name(LetterPlace(c, from), LetterPlace(c, to));
  // Earlier versions of the tool put № where code page 1251 has ©: it still reads as №.
  if (from.formerNumero != from.numero) name(from.formerNumero, to.numero);
  for (const SharedPlace& shared : kSharedPlaces)
    from866 ? name(shared.cp866, shared.cp1251) : name(shared.cp1251, shared.cp866);
  for (const LookAlike& row : lookAlikes) {
    const uint8_t result =
        row.character < 0x80 ? static_cast<uint8_t>(row.character) : LetterPlace(row.character, to);
    if (result == 0) NotAsciiOrARussianLetter();
    for (int byte = row.first; byte <= row.last; ++byte)
      name(static_cast<uint8_t>(byte), result);
  }
  for (bool n : named) {
    if (!n) ByteNamedTwiceOrNever();
  }
  return table;
}

inline constexpr ByteTable kCp866ToCp1251 =
    BuildByteTable(kCp866Layout, kCp1251Layout, true, kCp866LookAlikes);
inline constexpr ByteTable kCp1251ToCp866 =
    BuildByteTable(kCp1251Layout, kCp866Layout, false, kCp1251LookAlikes);
