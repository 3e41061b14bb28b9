#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/page_source.h"

// Pages saved beforehand, served in the order the company reading asks for them (home,
// contact, introduction, then the member time and confirmation pages), whatever their address.
// A page beyond those given, or an empty one, counts as not read.
class SavedPageSource : public PageSource {
public:
    explicit SavedPageSource(std::vector<std::string> bodies) : bodies(std::move(bodies)) {}
    bool Fetch(const std::string& url, std::string_view& body) override;

private:
    std::vector<std::string> bodies;
    std::size_t next = 0;
};
