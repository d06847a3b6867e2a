#include "platform/system/Console.h"

// Programs here always have their standard streams, given by whoever started them.
void useParentConsole() {}

bool standardErrorIsRead() {
    return true;
}

// Bytes are bytes here.
void neverTranslateLineEnds() {}
