#pragma once

#include <string>

// Makes a link that a response names absolute against the URL it came from. Prefix tests are
// case-sensitive and the first that holds decides; always succeeds.
void ResolveLink(std::string& link, const std::string& base);
