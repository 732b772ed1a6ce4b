// Console input: the operator's keys.
#include "platform/posix/posix_layer.h"

void RestoreTerminal() {}
