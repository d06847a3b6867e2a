#include "platform/system/QuietStandardError.h"

// Windows' sound drivers write nothing on the standard error: nothing to hush.
QuietStandardError::QuietStandardError() {
    static_cast<void>(saved);
}

QuietStandardError::~QuietStandardError() = default;
