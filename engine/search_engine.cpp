#include "engine/search_engine.h"

#include "engine/search_engine_alibaba.h"

namespace {

constexpr int kDirectoryEngineKind = 1;

}  // namespace

SearchEngine* GetSearchEngine(int kind) {
    // Built on first use and stopped at program exit, after every search has been joined.
    static SearchEngine_Alibaba directoryEngine;
    return kind == kDirectoryEngineKind ? &directoryEngine : nullptr;
}
