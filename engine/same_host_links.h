#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The pages of a company's own host that its home page links to: what `capture --follow` saves
// so that the pages holding its facts can be found without any rule for them.

// The links of the home page (read from homeAddress) that lead to its own host, resolved as the
// company reading resolves its links (without fragment), in the order the page writes them, each
// once, at most `most`. Links back to the home page itself (homeAddress, or the address it was
// asked by) and links nowhere a search can go (javascript:, mailto:) are left out.
std::vector<std::string> SameHostLinks(std::string_view homeBody, const std::string& homeAddress,
                                       const std::string& askedAddress, std::size_t most);
