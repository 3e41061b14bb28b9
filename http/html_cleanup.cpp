#include "http/html_cleanup.h"

#include <array>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char kBlank = ' ';
constexpr unsigned char kFullWidthLead = 0xA1;       // A1 A1: full-width space
constexpr unsigned char kFullWidthSlashLead = 0xA3;  // A3 AF: full-width solidus
constexpr unsigned char kFullWidthSlashTrail = 0xAF;
constexpr unsigned char kGbkLeadMin = 0x81;  // a byte from here up may start a two-byte character

char* EndOf(char* text) {
    return text + std::strlen(text);
}

char* FindByte(char* from, char* end, char byte) {
    void* hit = std::memchr(from, byte, static_cast<std::size_t>(end - from));
    return hit ? static_cast<char*>(hit) : end;
}

// memmem is linear in the text length, so no marker search can go quadratic.
char* FindMarker(char* from, char* end, std::string_view marker) {
    void* hit = memmem(from, static_cast<std::size_t>(end - from), marker.data(), marker.size());
    return hit ? static_cast<char*>(hit) : end;
}

void Blank(char* from, char* to) {
    std::memset(from, kBlank, static_cast<std::size_t>(to - from));
}

void BlankEvery(char* text, char* end, std::string_view marker) {
    for (char* hit = FindMarker(text, end, marker); hit != end;
         hit = FindMarker(hit + marker.size(), end, marker)) {
        Blank(hit, hit + marker.size());
    }
}

// Blanks each start marker through the first end marker that begins at or after it. A start marker
// without one ends the pass: no later start marker can have one either.
void BlankSpans(char* text, char* end, std::string_view startMarker, std::string_view endMarker) {
    char* position = text;
    for (;;) {
        char* start = FindMarker(position, end, startMarker);
        if (start == end) return;
        char* close = FindMarker(start, end, endMarker);
        if (close == end) return;
        position = close + endMarker.size();
        Blank(start, position);
    }
}

bool IsDigit(unsigned char byte) {
    return byte >= '0' && byte <= '9';
}

// A GB18030 four-byte character: lead, digit, lead, digit. No GBK character holds a digit, so GBK
// text never looks like one.
bool StartsFourByteCharacter(const char* at, const char* end) {
    if (end - at < 4) return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(at);
    return bytes[0] >= kGbkLeadMin && IsDigit(bytes[1]) && bytes[2] >= kGbkLeadMin && IsDigit(bytes[3]);
}

// Only the first hit needs the entity's semicolon; every hit blanks the full entity width (so a
// later hit without semicolon takes the byte after it), but never past the end of the text, and
// never the first byte of a GB18030 four-byte character, which would leave three stray bytes.
void BlankEntity(char* text, char* end, std::string_view entity) {
    std::string_view marker = entity;
    char* position = text;
    for (;;) {
        char* hit = FindMarker(position, end, marker);
        if (hit == end) return;
        std::size_t width = entity.size();
        if (marker.size() < entity.size() && StartsFourByteCharacter(hit + marker.size(), end)) width = marker.size();
        position = hit + std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(width), end - hit);
        Blank(hit, position);
        marker = entity.substr(0, entity.size() - 1);
    }
}

bool IsLineBreak(char byte) {
    return byte == '\n' || byte == '\r';
}

// Bytes that stop the plain copy of SqueezeText: white space, the two full-width lead bytes and
// the terminating NUL.
constexpr std::array<bool, 256> kSqueezeStops = [] {
    std::array<bool, 256> stops{};
    for (unsigned char byte : {'\0', ' ', '\t', '\n'}) stops[byte] = true;
    stops[kFullWidthLead] = true;
    stops[kFullWidthSlashLead] = true;
    return stops;
}();

// Copies the bytes from read up to the next squeeze stop. Whole 16-byte blocks without a stop go
// at once; storing a block at write never reaches unread bytes, since write never passes read.
void CopyOrdinaryBytes(const unsigned char*& read, unsigned char*& write, const unsigned char* end) {
#if defined(__SSE2__)
    constexpr std::ptrdiff_t kBlockBytes = 16;
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i fullWidthLead = _mm_set1_epi8(static_cast<char>(kFullWidthLead));
    const __m128i slashLead = _mm_set1_epi8(static_cast<char>(kFullWidthSlashLead));
    while (end - read >= kBlockBytes) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(read));
        const __m128i white =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, space), _mm_cmpeq_epi8(block, tab)),
                         _mm_cmpeq_epi8(block, lineFeed));
        const __m128i leads =
            _mm_or_si128(_mm_cmpeq_epi8(block, fullWidthLead), _mm_cmpeq_epi8(block, slashLead));
        const int stops = _mm_movemask_epi8(_mm_or_si128(white, leads));
        if (stops != 0) {
            for (int ordinary = __builtin_ctz(static_cast<unsigned>(stops)); ordinary > 0; --ordinary) {
                *write++ = *read++;
            }
            return;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(write), block);
        read += kBlockBytes;
        write += kBlockBytes;
    }
#else
    (void)end;
#endif
    while (!kSqueezeStops[*read]) *write++ = *read++;
}

}  // namespace

int UpperTagText(char* text) {
    char* end = EndOf(text);
    for (char* open = FindByte(text, end, '<'); open != end;) {
        char* close = FindByte(open, end, '>');
        for (char* byte = open; byte != close; ++byte) {
            const auto value = static_cast<unsigned char>(*byte);
            if (static_cast<unsigned char>(value - 'a') < 26) *byte = static_cast<char>(value - ('a' - 'A'));
        }
        if (close == end) break;
        open = FindByte(close + 1, end, '<');
    }
    return 0;
}

int BlankComments(char* text) {
    BlankSpans(text, EndOf(text), "<!--", "-->");
    return 0;
}

int StripTagAttributes(char* text) {
    char* const end = EndOf(text);
    char* read = text;  // the same buffer as write, always at or ahead of it
    char* write = text;
    while (read != end) {
        if (*read != '<') {
            const char* open = FindByte(read, end, '<');
            for (; read != open; ++read, ++write) *write = IsLineBreak(*read) ? kBlank : *read;
            continue;
        }
        // Only a space ends the name: a tab or line break after it is copied as part of it.
        do {
            *write++ = *read++;
        } while (read != end && *read != ' ' && *read != '>');
        if (read != end && *read == ' ') {
            char* close = FindByte(read, end, '>');
            if (close == end) break;
            if (close[-1] == '/') *write++ = '/';
            read = close;
        }
        if (read != end) *write++ = *read++;
    }
    *write = '\0';
    return 0;
}

int BlankScripts(char* text) {
    char* end = EndOf(text);
    BlankEvery(text, end, "<SCRIPT/>");
    BlankEvery(text, end, "<STYLE/>");
    BlankSpans(text, end, "<SCRIPT>", "</SCRIPT>");
    BlankSpans(text, end, "<STYLE>", "</STYLE>");
    return 0;
}

int BlankTags(char* text) {
    char* end = EndOf(text);
    // The first ">" after the current "<", kept while the scan stays before it, so that a run of
    // "<" without ">" is looked through once, not once per "<".
    char* close = nullptr;
    for (char* open = FindByte(text, end, '<'); open != end;) {
        if (close == nullptr || close < open) close = FindByte(open, end, '>');
        char* nextOpen = FindByte(open + 1, close, '<');
        if (nextOpen != close) {
            open = nextOpen;
            continue;
        }
        if (close == end) break;
        Blank(open, close + 1);
        open = FindByte(close + 1, end, '<');
    }
    return 0;
}

int BlankLineBreaks(char* text) {
    // A counted loop that writes every byte, so that the compiler turns it into vector code.
    const std::size_t length = std::strlen(text);
    for (std::size_t i = 0; i < length; ++i) text[i] = IsLineBreak(text[i]) ? kBlank : text[i];
    return 0;
}

int SqueezeText(char* text) {
    char* end = EndOf(text);
    BlankEntity(text, end, "&nbsp;");
    BlankEntity(text, end, "&mdash;");

    // The full-width characters are replaced during the squeeze itself: their replacements are
    // white space that joins the run around them. Every run of white space, the first one too,
    // leaves one byte, so that a value such as "a b" keeps its words apart.
    const auto* read = reinterpret_cast<const unsigned char*>(text);
    auto* write = reinterpret_cast<unsigned char*>(text);
    const auto* textEnd = reinterpret_cast<const unsigned char*>(end);
    char runByte = '\0';  // the byte the pending run of white space leaves; NUL: no run pending
    // A1 A1 and A3 AF count only where they start a character: after a character whose trail
    // byte is A1 (such as the one of "省") the pair would straddle two characters, and replacing
    // it would garble both. A byte below 0x81 ends a character, as a trail byte or alone, so the
    // bytes from 0x81 up written since the last of them pair off into characters; each byte is
    // looked at once, back from the candidate, up to the last known character start. The one
    // exception, the second byte (a digit) of a GB18030 four-byte character, is always followed
    // by a third byte and a digit: a candidate right after it is followed by a digit and so is
    // never replaced, and the digit after it does end the character.
    const unsigned char* characterStart = write;
    const auto startsCharacter = [&characterStart](const unsigned char* position) {
        const unsigned char* pairsStart = position;
        while (pairsStart > characterStart && pairsStart[-1] >= kGbkLeadMin) --pairsStart;
        const bool starts = (position - pairsStart) % 2 == 0;
        characterStart = starts ? position : position + 1;
        return starts;
    };
    for (;;) {
        const unsigned char byte = *read;
        if (!kSqueezeStops[byte]) {
            if (runByte != '\0') *write++ = static_cast<unsigned char>(runByte);
            runByte = '\0';
            CopyOrdinaryBytes(read, write, textEnd);
            continue;
        }
        if (byte == '\0') break;
        // After white space (a pending run) a byte always starts a character.
        const bool fullWidthCandidate = byte == kFullWidthLead || byte == kFullWidthSlashLead;
        if (fullWidthCandidate && runByte == '\0' && !startsCharacter(write)) {
            *write++ = *read++;  // the trail byte of the character before it
            continue;
        }
        // A stray lead byte (one an entity without semicolon left behind) must not pair with the
        // first byte of a GB18030 four-byte character; valid GBK text never has a digit there.
        // (read[2] lies within the text, since read[1] matched a byte from 0x81 up.)
        const auto pairEndsCharacter = [&read, end] {
            return !IsDigit(read[2]) || !StartsFourByteCharacter(reinterpret_cast<const char*>(read + 1), end);
        };
        if (byte == kFullWidthLead && read[1] == kFullWidthLead && pairEndsCharacter()) {
            if (runByte == '\0') runByte = kBlank;
            read += 2;
        } else if (byte == kFullWidthSlashLead && read[1] == kFullWidthSlashTrail && pairEndsCharacter()) {
            if (runByte != '\0') *write++ = static_cast<unsigned char>(runByte);
            *write++ = '/';
            runByte = kBlank;
            read += 2;
        } else if (byte == kFullWidthLead || byte == kFullWidthSlashLead) {
            if (runByte != '\0') *write++ = static_cast<unsigned char>(runByte);
            runByte = '\0';
            *write++ = *read++;
        } else {
            if (byte == '\n') {
                runByte = '\n';
            } else if (runByte == '\0') {
                runByte = kBlank;
            }
            ++read;
        }
    }
    if (runByte != '\0') *write++ = static_cast<unsigned char>(runByte);
    *write = '\0';
    return 0;
}
