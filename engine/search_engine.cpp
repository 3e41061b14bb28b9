#include "engine/search_engine.h"

#include "engine/search_engine_alibaba.h"

SearchEngine* GetSearchEngine(int kind) {
    // Built on first use and stopped at program exit, after every search has been joined.
    static SearchEngine_Alibaba directoryEngine;
    return kind == kDirectoryEngine ? &directoryEngine : nullptr;
}
