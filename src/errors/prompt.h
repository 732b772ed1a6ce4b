// The operator prompt: waits for one of the answer keys.
#pragma once

#include "errors/report.h"
#include "platform/platform.h"

/// Waits on keys for one of the twelve answer keys and returns its answer. When no
/// further key can come, the answer is Abort.
AnswerCode AskOperator(PlatformHandle keys);
