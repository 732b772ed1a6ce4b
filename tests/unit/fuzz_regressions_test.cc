// Inputs that the fuzz targets once stopped on, kept so that the behaviour they pinned
// down stays as it is.
#include <gtest/gtest.h>

#include <string.h>

#include "text/formatter.h"

namespace {

TEST(FuzzRegression, CharacterConversionMayWriteAZeroByte) {
  // "%c" with a slot whose low byte is 0 writes that byte; the counted length includes it
  // and the text after it, while a reader of the terminated text stops there.
  const FormatSlot slots[] = {{0x100}, {0}};
  char full[16];
  FormatMessageText(full, "ab%ccd", slots);
  char counted[16];
  EXPECT_EQ(FormatMessageTextMax(counted, sizeof counted, "ab%ccd", slots), 5u);
  EXPECT_EQ(memcmp(full, "ab\0cd", 6), 0);
  EXPECT_EQ(memcmp(counted, full, 6), 0);
  char bounded[4];
  EXPECT_EQ(FormatMessageTextMax(bounded, sizeof bounded, "ab%ccd", slots), 3u);
  EXPECT_EQ(memcmp(bounded, "ab\0", 4), 0);
}

}  // namespace
