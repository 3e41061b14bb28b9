#pragma once

#include <string>

// Makes a link absolute against the URL of the page or response that named it, as a browser
// does (see Url::Resolve). A link that resolves to no URL, or a base that is none for a link
// that needs one, leaves the link as it stands, for the request to refuse.
void ResolveLink(std::string& link, const std::string& base);
