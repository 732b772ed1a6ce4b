#include "text/count_forms.h"

CountForm CountFormOf(uint64_t count, bool russian) {
  if (!russian) return count == 1 ? kCountOne : kCountMany;
  // The last two digits decide: 11 to 14 take the many form whatever their last digit.
  const uint64_t lastTwo = count % 100;
  const uint64_t last = count % 10;
  if (lastTwo >= 11 && lastTwo <= 14) return kCountMany;
  if (last == 1) return kCountOne;
  return last >= 2 && last <= 4 ? kCountFew : kCountMany;
}
