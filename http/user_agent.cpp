#include "http/user_agent.h"

#include "http/proxy_settings.h"
#include "http/url_split.h"

namespace {

SharedText& ChosenUserAgent() {
    static SharedText chosen;  // empty: the default
    return chosen;
}

}  // namespace

bool SetUserAgent(std::string_view text) {
    if (text.empty() || HoldsControlByte(text)) return false;
    ChosenUserAgent().Set(std::string(text));
    return true;
}

void ResetUserAgent() {
    ChosenUserAgent().Set(std::string());
}

std::string CurrentUserAgent() {
    std::string chosen = ChosenUserAgent().Get();
    return chosen.empty() ? std::string(kDefaultUserAgent) : chosen;
}
