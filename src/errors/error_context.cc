#include "errors/error_context.h"

ErrorContextRecord ErrorContext;
