#include "http/url.h"

#include <array>
#include <cstdint>

#include "http/url_host.h"

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr int kEnd = -1;  // the standard's EOF code point: the pointer is past the input

struct SpecialScheme {
    std::string_view name;
    int defaultPort;
};
constexpr SpecialScheme kSpecialSchemes[] = {
    {"ftp", 21}, {"http", 80}, {"https", 443}, {"ws", 80}, {"wss", 443}};
constexpr std::string_view kHttp = "http";
constexpr std::string_view kHttps = "https";
constexpr int kHighestPort = 0xFFFF;

// The standard's percent-encode sets, one bit each; every set holds the one before it.
enum EncodeSet : std::uint8_t {
    kC0ControlSet = 1,
    kFragmentSet = 2,
    kQuerySet = 4,
    kSpecialQuerySet = 8,
    kPathSet = 16,
    kUserinfoSet = 32,
};

constexpr std::array<std::uint8_t, 256> BuildEncodeTable() {
    std::array<std::uint8_t, 256> table{};
    const auto add = [&table](std::string_view bytes, std::uint8_t set) {
        for (const char c : bytes) table[static_cast<unsigned char>(c)] |= set;
    };
    for (int byte = 0; byte < 256; ++byte) {
        if (byte < 0x20 || byte > 0x7E) table[byte] = 0xFF;
    }
    add(" \"<>`", kFragmentSet);
    add(" \"#<>", kQuerySet | kSpecialQuerySet | kPathSet | kUserinfoSet);
    add("'", kSpecialQuerySet);
    add("?^`{}", kPathSet | kUserinfoSet);
    add("/:;=@[\\]|", kUserinfoSet);
    return table;
}
constexpr std::array<std::uint8_t, 256> kEncodeTable = BuildEncodeTable();

constexpr char kUpperHex[] = "0123456789ABCDEF";

void AppendPercentEncoded(std::string& out, unsigned char byte) {
    out.push_back('%');
    out.push_back(kUpperHex[byte >> 4]);
    out.push_back(kUpperHex[byte & 0x0F]);
}

void AppendEncoded(std::string& out, char c, EncodeSet set) {
    const auto byte = static_cast<unsigned char>(c);
    if (kEncodeTable[byte] & set) {
        AppendPercentEncoded(out, byte);
    } else {
        out.push_back(c);
    }
}

void AppendEncoded(std::string& out, std::string_view text, EncodeSet set) {
    for (const char c : text) AppendEncoded(out, c, set);
}

bool IsAsciiAlpha(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(int c) {
    return c >= '0' && c <= '9';
}

char AsciiLower(int c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (AsciiLower(text[i]) != lower[i]) return false;
    }
    return true;
}

// "." or "%2e".
bool IsSingleDotSegment(std::string_view segment) {
    return segment == "." || EqualsIgnoringCase(segment, "%2e");
}

// "..", ".%2e", "%2e." or "%2e%2e".
bool IsDoubleDotSegment(std::string_view segment) {
    return segment == ".." || EqualsIgnoringCase(segment, ".%2e") || EqualsIgnoringCase(segment, "%2e.") ||
           EqualsIgnoringCase(segment, "%2e%2e");
}

// RFC 3986 lets unreserved characters, sub-delims, ":", "@", "/" and "?" stand raw in a path or
// query; "%" only where it starts an escape.
bool StandsRawInTarget(char c) {
    static constexpr std::string_view kRawPunctuation = "-._~!$&'()*+,;=:@/?";
    return IsAsciiAlpha(c) || IsAsciiDigit(c) || kRawPunctuation.find(c) != std::string_view::npos;
}

bool IsHexDigit(char c) {
    return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

// The basic URL parser of the URL standard, its states named as the standard names them. It
// writes the URL's serialisation as it goes, so that the parsed URL is its own text.
class UrlParser {
public:
    UrlParser(std::string_view input, const Url* base) : input(input), base(base) {}
    static std::optional<Url> Parse(std::string_view text, const Url* base);

private:
    enum class State {
        kSchemeStart,
        kScheme,
        kNoScheme,
        kSpecialRelativeOrAuthority,
        kPathOrAuthority,
        kRelative,
        kRelativeSlash,
        kSpecialAuthoritySlashes,
        kSpecialAuthorityIgnoreSlashes,
        kAuthority,
        kHost,
        kPort,
        kPathStart,
        kPath,
        kOpaquePath,
        kQuery,
        kFragment,
        kDone,
        kFailure,
    };

    bool Run();
    int At(std::size_t at) const { return at < input.size() ? static_cast<unsigned char>(input[at]) : kEnd; }
    bool Special() const { return url.defaultPort >= 0; }
    // Ends the host, the path and every segment ("\" too in a special URL).
    bool IsSlash(int c) const { return c == '/' || (Special() && c == '\\'); }
    bool EndsAuthority(int c) const { return c == kEnd || IsSlash(c) || c == '?' || c == '#'; }
    State Authority();
    State Host();
    State Port();
    State Path();
    void ShortenPath();
    void TakeAuthorityFromBase();
    void TakePathAndQueryFromBase(bool withQuery);
    void StartQuery();
    void StartFragment();
    void Finish();

    std::string_view input;
    const Url* base;
    std::size_t pointer = 0;
    Url url;
};

std::optional<Url> UrlParser::Parse(std::string_view text, const Url* base) {
    // Remove any leading and trailing C0 control or space.
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    // Remove all ASCII tab or newline.
    std::string withoutTabs;
    if (text.find_first_of("\t\n\r") != std::string_view::npos) {
        for (const char c : text) {
            if (c != '\t' && c != '\n' && c != '\r') withoutTabs.push_back(c);
        }
        text = withoutTabs;
    }
    UrlParser parser(text, base);
    if (!parser.Run()) return std::nullopt;
    return std::move(parser.url);
}

bool UrlParser::Run() {
    std::string& href = url.href;
    href.reserve(input.size() + (base != nullptr ? base->href.size() : 0) + 8);
    State state = State::kSchemeStart;
    for (;;) {
        const int c = At(pointer);
        switch (state) {
            case State::kSchemeStart:
                if (IsAsciiAlpha(c)) {
                    href.push_back(AsciiLower(c));
                    state = State::kScheme;
                    ++pointer;
                } else {
                    state = State::kNoScheme;
                }
                break;
            case State::kScheme:
                if (IsAsciiAlpha(c) || IsAsciiDigit(c) || c == '+' || c == '-' || c == '.') {
                    href.push_back(AsciiLower(c));
                    ++pointer;
                    break;
                }
                if (c != ':') {
                    // Not a scheme after all: start over as a reference without one.
                    href.clear();
                    pointer = 0;
                    state = State::kNoScheme;
                    break;
                }
                url.schemeEnd = href.size();
                for (const SpecialScheme& special : kSpecialSchemes) {
                    if (special.name == href) url.defaultPort = special.defaultPort;
                }
                href.push_back(':');
                ++pointer;
                if (Special() && base != nullptr && base->Scheme() == url.Scheme()) {
                    state = State::kSpecialRelativeOrAuthority;
                } else if (Special()) {
                    state = State::kSpecialAuthoritySlashes;
                } else if (At(pointer) == '/') {
                    state = State::kPathOrAuthority;
                    ++pointer;
                } else {
                    url.opaquePath = true;
                    url.pathStart = url.hostStart = url.hostEnd = href.size();
                    state = State::kOpaquePath;
                }
                break;
            case State::kNoScheme:
                if (base == nullptr || (base->opaquePath && c != '#')) return false;
                if (base->opaquePath) {
                    TakeAuthorityFromBase();
                    TakePathAndQueryFromBase(true);
                    url.opaquePath = true;
                    StartFragment();
                    ++pointer;
                    state = State::kFragment;
                } else {
                    state = State::kRelative;
                }
                break;
            case State::kSpecialRelativeOrAuthority:
                if (c == '/' && At(pointer + 1) == '/') {
                    state = State::kSpecialAuthorityIgnoreSlashes;
                    pointer += 2;
                } else {
                    state = State::kRelative;
                }
                break;
            case State::kPathOrAuthority:
                if (c == '/') {
                    state = State::kAuthority;
                    ++pointer;
                } else {
                    url.pathStart = url.hostStart = url.hostEnd = href.size();
                    state = State::kPath;
                }
                break;
            case State::kRelative:
                TakeAuthorityFromBase();
                if (IsSlash(c)) {
                    state = State::kRelativeSlash;
                    ++pointer;
                    break;
                }
                TakePathAndQueryFromBase(c == kEnd || c == '#');
                if (c == kEnd) {
                    state = State::kDone;
                    break;
                }
                if (c == '?') {
                    StartQuery();
                    state = State::kQuery;
                } else if (c == '#') {
                    StartFragment();
                    state = State::kFragment;
                } else {
                    ShortenPath();
                    state = State::kPath;
                    break;
                }
                ++pointer;
                break;
            case State::kRelativeSlash:
                if (IsSlash(c)) {
                    // "//host": the base's authority gives way to the reference's own.
                    href.resize(url.schemeEnd + 1);
                    url.hasHost = false;
                    url.port = -1;
                    state = Special() ? State::kSpecialAuthorityIgnoreSlashes : State::kAuthority;
                    ++pointer;
                } else {
                    state = State::kPath;
                }
                break;
            case State::kSpecialAuthoritySlashes:
                if (c == '/' && At(pointer + 1) == '/') pointer += 2;
                state = State::kSpecialAuthorityIgnoreSlashes;
                break;
            case State::kSpecialAuthorityIgnoreSlashes:
                if (c == '/' || c == '\\') {
                    ++pointer;
                } else {
                    state = State::kAuthority;
                }
                break;
            case State::kAuthority:
                state = Authority();
                break;
            case State::kHost:
                state = Host();
                break;
            case State::kPort:
                state = Port();
                break;
            case State::kPathStart:
                url.pathStart = href.size();
                if (Special()) {
                    if (IsSlash(c)) ++pointer;
                    state = State::kPath;
                } else if (c == '?' || c == '#') {
                    c == '?' ? StartQuery() : StartFragment();
                    state = c == '?' ? State::kQuery : State::kFragment;
                    ++pointer;
                } else if (c != kEnd) {
                    if (c == '/') ++pointer;
                    state = State::kPath;
                } else {
                    state = State::kDone;
                }
                break;
            case State::kPath:
                state = Path();
                break;
            case State::kOpaquePath:
                while (At(pointer) != kEnd && At(pointer) != '?' && At(pointer) != '#') {
                    AppendEncoded(href, input[pointer++], kC0ControlSet);
                }
                if (At(pointer) == kEnd) {
                    state = State::kDone;
                    break;
                }
                At(pointer) == '?' ? StartQuery() : StartFragment();
                state = At(pointer) == '?' ? State::kQuery : State::kFragment;
                ++pointer;
                break;
            case State::kQuery: {
                const EncodeSet set = Special() ? kSpecialQuerySet : kQuerySet;
                while (At(pointer) != kEnd && At(pointer) != '#') AppendEncoded(href, input[pointer++], set);
                if (At(pointer) == kEnd) {
                    state = State::kDone;
                    break;
                }
                StartFragment();
                ++pointer;
                state = State::kFragment;
                break;
            }
            case State::kFragment:
                AppendEncoded(href, input.substr(pointer), kFragmentSet);
                state = State::kDone;
                break;
            case State::kDone:
                Finish();
                return true;
            case State::kFailure:
                return false;
        }
    }
}

// The authority state reads ahead to the authority's end: everything before its last "@" is the
// userinfo, the first ":" there parting username from password.
UrlParser::State UrlParser::Authority() {
    std::size_t end = pointer;
    while (!EndsAuthority(At(end))) ++end;
    const std::size_t at = input.substr(0, end).rfind('@');
    url.href.append("//");
    if (at != std::string_view::npos && at >= pointer) {
        if (at + 1 == end) return State::kFailure;  // host-missing
        const std::string_view userinfo = input.substr(pointer, at - pointer);
        const std::size_t colon = userinfo.find(':');
        const std::size_t userStart = url.href.size();
        AppendEncoded(url.href, userinfo.substr(0, colon), kUserinfoSet);
        if (colon != std::string_view::npos && colon + 1 < userinfo.size()) {
            url.href.push_back(':');
            AppendEncoded(url.href, userinfo.substr(colon + 1), kUserinfoSet);
        }
        if (url.href.size() > userStart) url.href.push_back('@');
        pointer = at + 1;
    }
    return State::kHost;
}

// The host state: the host runs to a ":" outside brackets or to the authority's end.
UrlParser::State UrlParser::Host() {
    const std::size_t start = pointer;
    bool insideBrackets = false;
    for (int c = At(pointer); !EndsAuthority(c) && (c != ':' || insideBrackets); c = At(++pointer)) {
        if (c == '[') insideBrackets = true;
        if (c == ']') insideBrackets = false;
    }
    const std::string_view buffer = input.substr(start, pointer - start);
    const bool portFollows = At(pointer) == ':';
    if (buffer.empty() && (portFollows || Special())) return State::kFailure;  // host-missing
    url.hostStart = url.href.size();
    if (Special() || buffer.starts_with('[')) {
        if (!AppendSpecialHost(url.href, buffer)) return State::kFailure;
    } else {
        if (!IsOpaqueHost(buffer)) return State::kFailure;
        AppendEncoded(url.href, buffer, kC0ControlSet);
    }
    url.hostEnd = url.href.size();
    url.hasHost = true;
    if (!portFollows) return State::kPathStart;
    ++pointer;
    return State::kPort;
}

// The port state: digits up to the authority's end; the scheme's default port is not written.
UrlParser::State UrlParser::Port() {
    int port = -1;
    for (; IsAsciiDigit(At(pointer)); ++pointer) {
        port = (port < 0 ? 0 : port * 10) + (At(pointer) - '0');
        if (port > kHighestPort) return State::kFailure;
    }
    if (!EndsAuthority(At(pointer))) return State::kFailure;
    if (port >= 0 && port != url.defaultPort) {
        url.port = port;
        url.href.push_back(':');
        url.href.append(std::to_string(port));
    }
    return State::kPathStart;
}

// The path state for one segment: "." and ".." segments are taken out as they end.
UrlParser::State UrlParser::Path() {
    std::string& href = url.href;
    href.push_back('/');
    const std::size_t segmentStart = href.size();
    for (int c = At(pointer); !IsSlash(c) && c != '?' && c != '#' && c != kEnd; c = At(++pointer)) {
        AppendEncoded(href, static_cast<char>(c), kPathSet);
    }
    const int c = At(pointer);
    const std::string_view segment(href.data() + segmentStart, href.size() - segmentStart);
    const bool doubleDot = IsDoubleDotSegment(segment);
    if (doubleDot || IsSingleDotSegment(segment)) {
        href.resize(segmentStart - 1);
        if (doubleDot) ShortenPath();
        // A dot segment at the path's end leaves the path ending in "/".
        if (!IsSlash(c)) href.push_back('/');
    }
    if (c == kEnd) return State::kDone;
    ++pointer;
    if (c == '?') {
        StartQuery();
        return State::kQuery;
    }
    if (c == '#') {
        StartFragment();
        return State::kFragment;
    }
    return State::kPath;  // the next segment
}

// Shorten a URL's path: drop its last segment, never the part before the path.
void UrlParser::ShortenPath() {
    const std::size_t slash = url.href.rfind('/');
    if (slash != npos && slash >= url.pathStart) url.href.resize(slash);
}

// The base's scheme, credentials, host and port, as a reference without "//" keeps them.
void UrlParser::TakeAuthorityFromBase() {
    url.href.assign(base->href, 0, base->AuthorityEnd());
    url.schemeEnd = base->schemeEnd;
    url.hostStart = base->hostStart;
    url.hostEnd = base->hostEnd;
    url.hasHost = base->hasHost;
    url.port = base->port;
    url.defaultPort = base->defaultPort;
    url.pathStart = url.href.size();
}

void UrlParser::TakePathAndQueryFromBase(bool withQuery) {
    url.href.append(base->href, base->pathStart, base->PathEnd() - base->pathStart);
    if (withQuery && base->queryStart != npos) {
        url.queryStart = url.href.size();
        url.href.append(base->href, base->queryStart, base->QueryEnd() - base->queryStart);
    }
}

void UrlParser::StartQuery() {
    url.queryStart = url.href.size();
    url.href.push_back('?');
}

void UrlParser::StartFragment() {
    url.fragmentStart = url.href.size();
    url.href.push_back('#');
}

// The serializer's one addition: a host-less path starting with an empty segment gets "/." in
// front, or it would read back as "//host".
void UrlParser::Finish() {
    if (url.hasHost || url.opaquePath || url.href.compare(url.pathStart, 2, "//") != 0) return;
    url.href.insert(url.pathStart, "/.");
    url.dotBeforePath = true;
    url.pathStart += 2;
    if (url.queryStart != npos) url.queryStart += 2;
    if (url.fragmentStart != npos) url.fragmentStart += 2;
}

std::optional<Url> Url::Parse(std::string_view text) {
    return UrlParser::Parse(text, nullptr);
}

std::optional<Url> Url::Resolve(std::string_view reference) const {
    return UrlParser::Parse(reference, this);
}

std::optional<std::string> Url::ParseHost(std::string_view text) {
    std::string host;
    if (text.empty() || !AppendSpecialHost(host, text)) return std::nullopt;
    return host;
}

std::size_t Url::AuthorityEnd() const {
    return dotBeforePath ? pathStart - 2 : pathStart;
}

std::size_t Url::PathEnd() const {
    return queryStart != npos ? queryStart : QueryEnd();
}

std::size_t Url::QueryEnd() const {
    return fragmentStart != npos ? fragmentStart : href.size();
}

std::string_view Url::HrefWithoutFragment() const {
    return std::string_view(href).substr(0, QueryEnd());
}

std::string_view Url::Scheme() const {
    return std::string_view(href).substr(0, schemeEnd);
}

std::string_view Url::Host() const {
    return hasHost ? std::string_view(href).substr(hostStart, hostEnd - hostStart) : std::string_view();
}

std::string_view Url::HostPort() const {
    return hasHost ? std::string_view(href).substr(hostStart, AuthorityEnd() - hostStart)
                   : std::string_view();
}

int Url::Port() const {
    if (port >= 0) return port;
    return defaultPort >= 0 ? defaultPort : 0;
}

std::string_view Url::Path() const {
    return std::string_view(href).substr(pathStart, PathEnd() - pathStart);
}

std::string_view Url::Query() const {
    return queryStart == npos ? std::string_view()
                              : std::string_view(href).substr(queryStart + 1, QueryEnd() - queryStart - 1);
}

std::string_view Url::Fragment() const {
    return fragmentStart == npos ? std::string_view() : std::string_view(href).substr(fragmentStart + 1);
}

bool Url::IsHttp() const {
    return Scheme() == kHttp || Scheme() == kHttps;
}

bool Url::Secure() const {
    return Scheme() == kHttps;
}

std::string Url::Origin() const {
    if (!hasHost) return "null";
    std::string origin(Scheme());
    origin.append("://").append(HostPort());
    return origin;
}

std::string Url::RequestTarget() const {
    const std::string_view text = std::string_view(href).substr(pathStart, QueryEnd() - pathStart);
    std::string target;
    target.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        const bool escape =
            c == '%' && at + 2 < text.size() && IsHexDigit(text[at + 1]) && IsHexDigit(text[at + 2]);
        if (escape || StandsRawInTarget(c)) {
            target.push_back(c);
        } else {
            AppendPercentEncoded(target, static_cast<unsigned char>(c));
        }
    }
    return target;
}
