#pragma once

#include <string>

// The demo directory as it looks after a change of the real site's pages, so that a test can
// see the program notice it: the rules file no longer finds what it looks for.
enum class DemoLayout {
    Standard,
    RenamedLabel,      // the contact person's label reads "联络人" instead of "联系人"
    MovedContactLink,  // the home pages link their contact page under "联系我们" instead of "联系方式"
};

// The layout named on the command line: "standard", "renamed-label" or "moved-contact-link".
bool ParseDemoLayout(const std::string& name, DemoLayout& layout);

// A company page (UTF-8 HTML) as the layout shows it.
std::string InLayout(std::string html, DemoLayout layout);
