#include "app/command_line_options.h"

#include <algorithm>
#include <cctype>

#include "http/control_byte.h"

namespace {

constexpr char kConnectToOption[] = "--connect-to";
constexpr char kProxyOption[] = "--proxy";
constexpr char kSearchOption[] = "--search";
constexpr char kSiteOption[] = "--site";
constexpr char kUserAgentOption[] = "--user-agent";
constexpr char kVersionOption[] = "--version";

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// The value of an option at arguments[index], either "--name=value" or "--name value";
// none when the argument is not that option. Moves index past a separate value.
std::optional<std::string> OptionValue(const QStringList& arguments, qsizetype& index, const char* name,
                                       std::string& error) {
    const QString argument = arguments[index];
    const QString option = QString::fromLatin1(name);
    if (argument.startsWith(option + QLatin1Char('='))) return argument.mid(option.size() + 1).toStdString();
    if (argument != option) return std::nullopt;
    if (index + 1 >= arguments.size()) {
        error = std::string(name) + " needs a value";
        return std::string();
    }
    return arguments[++index].toStdString();
}

}  // namespace

CommandLineOptions ParseCommandLine(const QStringList& arguments) {
    CommandLineOptions options;
    for (qsizetype index = 1; index < arguments.size() && options.error.empty(); ++index) {
        if (arguments[index] == QLatin1String(kVersionOption)) {
            options.versionAsked = true;
        } else if (auto value = OptionValue(arguments, index, kConnectToOption, options.error)) {
            if (options.error.empty()) options.connectTo.push_back(*value);
        } else if (auto keyword = OptionValue(arguments, index, kSearchOption, options.error)) {
            options.searchKeyword = std::move(keyword);
        } else if (auto site = OptionValue(arguments, index, kSiteOption, options.error)) {
            options.site = std::move(site);
        } else if (auto userAgent = OptionValue(arguments, index, kUserAgentOption, options.error)) {
            if (!options.error.empty()) break;
            if (userAgent->empty() || HoldsControlByte(*userAgent)) {
                options.error = "--user-agent wants a text without control characters";
                break;
            }
            options.userAgent = std::move(userAgent);
        } else if (auto proxy = OptionValue(arguments, index, kProxyOption, options.error)) {
            if (!options.error.empty()) break;
            const size_t colon = proxy->rfind(':');
            if (colon == std::string::npos || colon == 0 || !AllDigits(proxy->substr(colon + 1))) {
                options.error = "--proxy wants HOST:PORT, not \"" + *proxy + "\"";
                break;
            }
            options.proxyHost = proxy->substr(0, colon);
            options.proxyPort = proxy->substr(colon + 1);
        }
    }
    return options;
}
