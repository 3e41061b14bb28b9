#include "tsan_suppressions.h"

// Read by ThreadSanitizer at start-up in the sanitizer builds; unused otherwise.
extern "C" const char* __tsan_default_suppressions() {
    return kRegexCacheSuppressions;
}
