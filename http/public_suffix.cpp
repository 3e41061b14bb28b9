#include "http/public_suffix.h"

#include <libpsl.h>

#include <string>

namespace {

// Loaded once and kept for the process's life.
const psl_ctx_t* SuffixList() {
    static const psl_ctx_t* const list = [] {
        const psl_ctx_t* latest = psl_latest(nullptr);
        return latest != nullptr ? latest : psl_builtin();
    }();
    return list;
}

}  // namespace

bool IsPublicSuffix(std::string_view domain) {
    const psl_ctx_t* list = SuffixList();
    // Without any list, every domain counts as a public suffix: a cookie is then host-only.
    if (list == nullptr) return true;
    return psl_is_public_suffix(list, std::string(domain).c_str()) != 0;
}
