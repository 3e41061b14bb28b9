#include "http/url_parser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "http/url_host.h"

namespace {

constexpr std::size_t npos = std::string::npos;

struct SpecialScheme {
    std::string_view name;
    int defaultPort;
};
constexpr SpecialScheme kSpecialSchemes[] = {
    {"ftp", 21}, {"http", 80}, {"https", 443}, {"ws", 80}, {"wss", 443}};
constexpr int kHighestPort = 0xFFFF;

// What the parser looks for in a byte, one bit each: the standard's percent-encode sets, and the
// bytes that end a query, an opaque path, and a segment or authority of another scheme's or of a
// special URL.
enum ByteClass : std::uint16_t {
    kC0ControlSet = 1 << 0,
    kFragmentSet = 1 << 1,
    kQuerySet = 1 << 2,
    kSpecialQuerySet = 1 << 3,
    kPathSet = 1 << 4,
    kUserinfoSet = 1 << 5,
    kEncodeSets = 0xFF,
    kQueryEnds = 1 << 8,
    kOpaquePathEnds = 1 << 9,
    kSegmentEnds = 1 << 10,
    kSpecialSegmentEnds = 1 << 11,
};

constexpr std::array<std::uint16_t, 256> BuildByteClasses() {
    std::array<std::uint16_t, 256> table{};
    const auto add = [&table](std::string_view bytes, unsigned classes) {
        for (const char c : bytes) table[static_cast<unsigned char>(c)] |= classes;
    };
    for (int byte = 0; byte < 256; ++byte) {
        if (byte < 0x20 || byte > 0x7E) table[byte] = kEncodeSets;
    }
    add(" \"<>`", kFragmentSet);
    add(" \"#<>", kQuerySet | kSpecialQuerySet | kPathSet | kUserinfoSet);
    add("'", kSpecialQuerySet);
    add("?^`{}", kPathSet | kUserinfoSet);
    add("/:;=@[\\]|", kUserinfoSet);
    add("#", kQueryEnds | kOpaquePathEnds | kSegmentEnds | kSpecialSegmentEnds);
    add("?", kOpaquePathEnds | kSegmentEnds | kSpecialSegmentEnds);
    add("/", kSegmentEnds | kSpecialSegmentEnds);
    add("\\", kSpecialSegmentEnds);
    return table;
}
constexpr std::array<std::uint16_t, 256> kByteClasses = BuildByteClasses();

bool IsOfClass(char c, unsigned classes) {
    return (kByteClasses[static_cast<unsigned char>(c)] & classes) != 0;
}

// Appends the text, percent-encoding the bytes of the set; runs of plain bytes go in whole.
void AppendEncoded(std::string& out, std::string_view text, ByteClass set) {
    std::size_t plainStart = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (!IsOfClass(text[at], set)) continue;
        out.append(text, plainStart, at - plainStart);
        AppendPercentEncoded(out, static_cast<unsigned char>(text[at]));
        plainStart = at + 1;
    }
    out.append(text, plainStart);
}

bool IsAsciiAlpha(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(int c) {
    return c >= '0' && c <= '9';
}

bool IsSchemeByte(int c) {
    return IsAsciiAlpha(c) || IsAsciiDigit(c) || c == '+' || c == '-' || c == '.';
}

char AsciiLower(char c) {
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

}  // namespace

void AppendPercentEncoded(std::string& out, unsigned char byte) {
    static constexpr char kUpperHex[] = "0123456789ABCDEF";
    out.push_back('%');
    out.push_back(kUpperHex[byte >> 4]);
    out.push_back(kUpperHex[byte & 0x0F]);
}

std::optional<Url> UrlParser::Parse(std::string_view text, const Url* base) {
    // Remove any leading and trailing C0 control or space.
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    // Remove all ASCII tab or newline.
    const auto isTabOrNewline = [](char c) { return c == '\t' || c == '\n' || c == '\r'; };
    std::string withoutTabs;
    if (text.find('\t') != npos || text.find('\n') != npos || text.find('\r') != npos) {
        std::remove_copy_if(text.begin(), text.end(), std::back_inserter(withoutTabs), isTabOrNewline);
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
                state = IsAsciiAlpha(c) ? State::kScheme : State::kNoScheme;
                break;
            case State::kScheme: {
                // Reads ahead over the scheme's bytes, which are written only once a ":" ends them.
                std::size_t end = pointer;
                while (IsSchemeByte(At(end))) ++end;
                if (At(end) != ':') {
                    // Not a scheme after all: start over as a reference without one.
                    state = State::kNoScheme;
                    break;
                }
                std::transform(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(end),
                               std::back_inserter(href), AsciiLower);
                pointer = end;
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
            }
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
                TakePathAndQueryFromBase(c == kEndOfInput || c == '#');
                if (c == kEndOfInput) {
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
                } else if (c != kEndOfInput) {
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
                AppendRun(kOpaquePathEnds, kC0ControlSet);
                if (At(pointer) == kEndOfInput) {
                    state = State::kDone;
                    break;
                }
                At(pointer) == '?' ? StartQuery() : StartFragment();
                state = At(pointer) == '?' ? State::kQuery : State::kFragment;
                ++pointer;
                break;
            case State::kQuery:
                AppendRun(kQueryEnds, Special() ? kSpecialQuerySet : kQuerySet);
                if (At(pointer) == kEndOfInput) {
                    state = State::kDone;
                    break;
                }
                StartFragment();
                ++pointer;
                state = State::kFragment;
                break;
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
    std::size_t at = npos;
    for (; end < input.size() && !IsOfClass(input[end], SegmentEnds()); ++end) {
        if (input[end] == '@') at = end;
    }
    url.href.append("//");
    if (at != npos) {
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
    for (; pointer < input.size() && !IsOfClass(input[pointer], SegmentEnds()); ++pointer) {
        const char c = input[pointer];
        if (c == ':' && !insideBrackets) break;
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
    AppendRun(SegmentEnds(), kPathSet);
    const int c = At(pointer);
    const std::string_view segment(href.data() + segmentStart, href.size() - segmentStart);
    const bool doubleDot = IsDoubleDotSegment(segment);
    if (doubleDot || IsSingleDotSegment(segment)) {
        href.resize(segmentStart - 1);
        if (doubleDot) ShortenPath();
        // A dot segment at the path's end leaves the path ending in "/".
        if (!IsSlash(c)) href.push_back('/');
    }
    if (c == kEndOfInput) return State::kDone;
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

void UrlParser::AppendRun(std::uint16_t stops, std::uint16_t encodeSet) {
    std::size_t plainStart = pointer;
    for (; pointer < input.size(); ++pointer) {
        const unsigned classes =
            kByteClasses[static_cast<unsigned char>(input[pointer])] & (stops | encodeSet);
        if (classes == 0) continue;  // the common case: a byte that goes in as it is
        if ((classes & stops) != 0) break;
        url.href.append(input, plainStart, pointer - plainStart);
        AppendPercentEncoded(url.href, static_cast<unsigned char>(input[pointer]));
        plainStart = pointer + 1;
    }
    url.href.append(input, plainStart, pointer - plainStart);
}

std::uint16_t UrlParser::SegmentEnds() const {
    return Special() ? kSpecialSegmentEnds : kSegmentEnds;
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
