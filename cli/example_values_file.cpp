#include "cli/example_values_file.h"

#include <cstdio>
#include <sstream>

#include "cli/gbk_text.h"
#include "engine/label_table.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

}  // namespace

std::optional<std::vector<ExampleValues>> ParseExampleValues(const std::string& utf8Text,
                                                             const std::string& fileName) {
    std::vector<ExampleValues> examples;
    std::istringstream lines(utf8Text.starts_with(kByteOrderMark) ? utf8Text.substr(kByteOrderMark.size())
                                                                  : utf8Text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = Trimmed(line);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            examples.push_back({Trimmed(line.substr(1, line.size() - 2)), {}});
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string label = Utf8ToGbk(Trimmed(line.substr(0, equals)));
        const char* fault = nullptr;
        if (equals == std::string::npos) {
            fault = "neither [FOLDER] nor FIELD=VALUE";
        } else if (examples.empty()) {
            fault = "a value before the first [FOLDER] line";
        } else if (!IsKnownLabel(label)) {
            fault = "no field of the record has this name";
        }
        if (fault != nullptr) {
            std::fprintf(stderr, "%s line %d: %s\n", fileName.c_str(), number, fault);
            return std::nullopt;
        }
        // The value as the person wrote it; its blanks are the learner's to read. An empty value
        // says the company shows none.
        const std::string value = line.substr(equals + 1);
        if (!Trimmed(value).empty()) examples.back().values[label] = Utf8ToGbk(value);
    }
    return examples;
}
