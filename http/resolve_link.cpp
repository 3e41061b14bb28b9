#include "http/resolve_link.h"

#include <optional>

#include "http/url.h"

void ResolveLink(std::string& link, const std::string& base) {
    const std::optional<Url> baseUrl = Url::Parse(base);
    const std::optional<Url> resolved = baseUrl ? baseUrl->Resolve(link) : Url::Parse(link);
    if (resolved) link = resolved->Href();
}
