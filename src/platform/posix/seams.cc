// The seams' one record, empty unless a test fills it.
#include "platform/posix/seams.h"

PlatformSeamsRecord PlatformSeams;
