#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "http/url.h"

// The basic URL parser of the URL standard, its states named as the standard names them. It
// writes the URL's serialisation as it goes, so that the parsed URL is its own text.
class UrlParser {
public:
    // The text read as a URL, against the base when one is given; none on failure.
    static std::optional<Url> Parse(std::string_view text, const Url* base);

private:
    UrlParser(std::string_view input, const Url* base) : input(input), base(base) {}

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

    // kEndOfInput: the standard's EOF code point, the pointer past the input.
    static constexpr int kEndOfInput = -1;

    bool Run();
    int At(std::size_t at) const {
        return at < input.size() ? static_cast<unsigned char>(input[at]) : kEndOfInput;
    }
    bool Special() const { return url.defaultPort >= 0; }
    // Ends the host, the path and every segment ("\" too in a special URL).
    bool IsSlash(int c) const { return c == '/' || (Special() && c == '\\'); }
    bool EndsAuthority(int c) const { return c == kEndOfInput || IsSlash(c) || c == '?' || c == '#'; }
    State Authority();
    State Host();
    State Port();
    State Path();
    void ShortenPath();
    void TakeAuthorityFromBase();
    void TakePathAndQueryFromBase(bool withQuery);
    // Appends the input up to the next byte of the stop set, percent-encoding the bytes of the
    // encode set (both as byte classes of the parser's table).
    void AppendRun(std::uint16_t stops, std::uint16_t encodeSet);
    // The stop set of a segment and of the authority: "/", "?", "#", and "\" when special.
    std::uint16_t SegmentEnds() const;
    void StartQuery();
    void StartFragment();
    void Finish();

    std::string_view input;
    const Url* base;
    std::size_t pointer = 0;
    Url url;
};

// "%" and the byte in upper-case hex.
void AppendPercentEncoded(std::string& out, unsigned char byte);
