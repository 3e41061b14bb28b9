// Runs one HTML clean-up function, chosen by the first input byte, over the rest of the input and
// compares it with a plain step-by-step model of the same clean-up written for clarity, not speed.
// Also checks that nothing is written past the terminating NUL.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "http/html_cleanup.h"

namespace {

using Cleanup = int (*)(char*);
using Model = void (*)(std::string&);

void Blank(std::string& text, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < text.size(); ++i) text[i] = ' ';
}

void ModelUpperTagText(std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '<') continue;
        for (; i < text.size() && text[i] != '>'; ++i) {
            if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 32);
        }
    }
}

// Blanks start .. first end marker by the two-search procedure: both markers from the search
// position; an end marker before the start marker moves the search to the start marker.
void ModelBlankPairs(std::string& text, std::string_view startMarker, std::string_view endMarker) {
    std::size_t position = 0;
    for (;;) {
        const std::size_t start = text.find(startMarker, position);
        const std::size_t end = text.find(endMarker, position);
        if (start == std::string::npos || end == std::string::npos) return;
        if (end + endMarker.size() - 1 > start) {
            Blank(text, start, end + endMarker.size());
            position = end + endMarker.size();
        } else {
            position = start;
        }
    }
}

void ModelBlankComments(std::string& text) {
    ModelBlankPairs(text, "<!--", "-->");
}

void ModelStripTagAttributes(std::string& text) {
    std::string out;
    std::size_t read = 0;
    bool attributes = false;
    while (read < text.size()) {
        if (text[read] == '<') {
            while (read < text.size() && text[read] != ' ' && text[read] != '>') out += text[read++];
            if (read < text.size() && text[read] == ' ') attributes = true;
        } else if (text[read] == '\n' || text[read] == '\r') {
            text[read] = ' ';
        }
        if (attributes) {
            while (read < text.size() && text[read] != '>') ++read;
            attributes = false;
            if (read < text.size() && text[read - 1] == '/') out += '/';
        }
        if (read < text.size()) out += text[read++];
    }
    text = out;
}

void ModelBlankEvery(std::string& text, std::string_view marker) {
    for (std::size_t hit = text.find(marker); hit != std::string::npos; hit = text.find(marker, hit)) {
        Blank(text, hit, hit + marker.size());
    }
}

void ModelBlankScripts(std::string& text) {
    ModelBlankEvery(text, "<SCRIPT/>");
    ModelBlankEvery(text, "<STYLE/>");
    ModelBlankPairs(text, "<SCRIPT>", "</SCRIPT>");
    ModelBlankPairs(text, "<STYLE>", "</STYLE>");
}

void ModelBlankTags(std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '<') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < text.size() && text[j] != '>' && text[j] != '<') ++j;
        if (j < text.size() && text[j] == '>') {
            Blank(text, i, j + 1);
            i = j + 1;
        } else {
            i = j;
        }
    }
}

void ModelBlankLineBreaks(std::string& text) {
    for (char& byte : text) {
        if (byte == '\n' || byte == '\r') byte = ' ';
    }
}

bool IsLead(char byte) {
    return static_cast<unsigned char>(byte) >= 0x81;
}

bool IsDigit(char byte) {
    return byte >= '0' && byte <= '9';
}

// Lead, digit, lead, digit: a GB18030 four-byte character, which no clean-up may split.
bool FourByteCharacterAt(const std::string& text, std::size_t at) {
    return at + 4 <= text.size() && IsLead(text[at]) && IsDigit(text[at + 1]) && IsLead(text[at + 2]) &&
           IsDigit(text[at + 3]);
}

// A later hit without semicolon takes the byte after the marker, unless a four-byte character
// starts there.
void ModelBlankEntity(std::string& text, const std::string& entity) {
    std::string marker = entity;
    for (std::size_t hit = text.find(marker); hit != std::string::npos; hit = text.find(marker, hit)) {
        const bool shortHit = marker.size() < entity.size() && FourByteCharacterAt(text, hit + marker.size());
        const std::size_t width = shortHit ? marker.size() : entity.size();
        Blank(text, hit, hit + width);
        hit += width;
        marker = entity.substr(0, entity.size() - 1);
        if (hit >= text.size()) return;
    }
}

// Full-width characters count only where a character starts: a byte from 0x81 up and a byte
// from 0x40 up form a two-byte character; a pair whose second byte starts a four-byte character
// is a stray lead byte, not a full-width character.
void ModelReplaceFullWidth(std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        if (!IsLead(text[i]) || i + 1 == text.size() || static_cast<unsigned char>(text[i + 1]) < 0x40) {
            ++i;
            continue;
        }
        const std::string_view character(text.data() + i, 2);
        const bool strayLead = FourByteCharacterAt(text, i + 1);
        if (character == "\xA1\xA1" && !strayLead) text.replace(i, 2, "  ");
        if (character == "\xA3\xAF" && !strayLead) text.replace(i, 2, "/ ");
        i += 2;
    }
}

void ModelSqueezeText(std::string& text) {
    ModelBlankEntity(text, "&nbsp;");
    ModelBlankEntity(text, "&mdash;");
    ModelReplaceFullWidth(text);
    auto white = [](char byte) { return byte == ' ' || byte == '\t' || byte == '\n'; };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (!white(text[i])) {
            out += text[i++];
            continue;
        }
        bool lineFeed = false;
        for (; i < text.size() && white(text[i]); ++i) lineFeed = lineFeed || text[i] == '\n';
        out += lineFeed ? '\n' : ' ';
    }
    text = out;
}

struct Pair {
    Cleanup cleanup;
    Model model;
};

constexpr Pair kPairs[] = {
    {UpperTagText, ModelUpperTagText},
    {BlankComments, ModelBlankComments},
    {StripTagAttributes, ModelStripTagAttributes},
    {BlankScripts, ModelBlankScripts},
    {BlankTags, ModelBlankTags},
    {BlankLineBreaks, ModelBlankLineBreaks},
    {SqueezeText, ModelSqueezeText},
};
constexpr std::string_view kGuard = "<!--&nbsp\n<SCRIPT>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Pair& pair = kPairs[data[0] % std::size(kPairs)];
    std::vector<char> buffer(data + 1, data + size);
    buffer.push_back('\0');
    buffer.insert(buffer.end(), kGuard.begin(), kGuard.end());
    std::string expected(buffer.data());
    pair.model(expected);

    if (pair.cleanup(buffer.data()) != 0) std::abort();
    if (std::string_view(buffer.data()) != expected) std::abort();
    if (std::string_view(buffer.data() + buffer.size() - kGuard.size(), kGuard.size()) != kGuard)
        std::abort();
    return 0;
}
