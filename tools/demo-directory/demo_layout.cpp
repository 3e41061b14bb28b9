#include "tools/demo-directory/demo_layout.h"

#include <utility>
#include <vector>

namespace {

using Replacements = std::vector<std::pair<std::string, std::string>>;

const Replacements& ReplacementsOf(DemoLayout layout) {
    static const Replacements none;
    // The general pages space the label out with "&nbsp;".
    static const Replacements renamedLabel = {{"联系人：", "联络人："},
                                              {"联&nbsp;系&nbsp;人：", "联&nbsp;络&nbsp;人："}};
    // Only the links: the contact page's own "联系方式" headings stay.
    static const Replacements movedContactLink = {{"\">联系方式</a>", "\">联系我们</a>"}};
    switch (layout) {
        case DemoLayout::RenamedLabel:
            return renamedLabel;
        case DemoLayout::MovedContactLink:
            return movedContactLink;
        default:
            return none;
    }
}

}  // namespace

bool ParseDemoLayout(const std::string& name, DemoLayout& layout) {
    if (name == "standard") {
        layout = DemoLayout::Standard;
    } else if (name == "renamed-label") {
        layout = DemoLayout::RenamedLabel;
    } else if (name == "moved-contact-link") {
        layout = DemoLayout::MovedContactLink;
    } else {
        return false;
    }
    return true;
}

std::string InLayout(std::string html, DemoLayout layout) {
    for (const auto& [from, to] : ReplacementsOf(layout)) {
        for (std::size_t at = html.find(from); at != std::string::npos;
             at = html.find(from, at + to.size())) {
            html.replace(at, from.size(), to);
        }
    }
    return html;
}
