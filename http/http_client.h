#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
// <thread> brings the duration types; the full <chrono> holds a literal that cannot be compiled
// to GBK.
#include <thread>

#include "http/proxy_settings.h"

class ConnectionPool;
class CookieJar;
class HostLookupCache;
class RequestCanceller;

// The waits of a request. The program always uses the defaults; tests may shorten them.
struct HttpTimings {
    std::chrono::milliseconds requestDelay{500};         // before every request, redirects included
    std::chrono::milliseconds firstByteTimeout{30000};   // for the first byte of the response
    std::chrono::milliseconds nextByteTimeout{30000};    // for every later byte, TLS handshake included
    std::chrono::milliseconds responseTimeout{120000};   // for one whole exchange, from the wait's end on
    std::chrono::milliseconds longestRetryWait{300000};  // the most a Retry-After wait lasts
};

// The program's own HTTP/1.1 client over plain TCP or TLS. Connections persist: a response read to
// the end its Content-Length or chunks name leaves its connection in a pool for the next request
// to the same place, unless the server asked to close it or anything about the response was in
// doubt; a body that runs until the server closes ends its connection. One client is used by one
// thread; the clients of one search share a pool and a lookup cache.
class HttpClient {
public:
    static constexpr std::size_t kHtmlBufferSize = 0xA00000;  // 10 MiB, the NUL included
    static constexpr std::size_t kLastErrorSize = 1024;

    // Reads the process-wide proxy values at construction and at every request.
    HttpClient();
    // Uses the given proxy values for its whole life and never reads the process-wide ones.
    explicit HttpClient(const ProxySetting& fixedProxy);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Returns the body length (body NUL-terminated in htmlBuffer) or a negative failure code
    // with its text in lastError.
    int GetHtml(const char* url, const char* formData);

    void SetTimings(const HttpTimings& timings);
    // Requests abort (result -1) as soon as the canceller is cancelled, also in their waits.
    void SetCanceller(std::shared_ptr<RequestCanceller> canceller);
    // Passed before a request is sent once more after a 429 or 503 with Retry-After, so that the
    // repeat waits where every request waits; false aborts it.
    void SetRequestGate(std::function<bool()> gate);
    // With a jar, every request sends the jar's cookies for its URL in a Cookie line and every
    // response, redirects included, leaves its Set-Cookie values in the jar. Without one no
    // cookie is sent.
    void SetCookieJar(std::shared_ptr<CookieJar> jar);
    // The idle connections to take and to keep, and the host lookups to reuse; a client has its
    // own of each until it is given shared ones.
    void SetConnectionPool(std::shared_ptr<ConnectionPool> pool);
    void SetLookupCache(std::shared_ptr<HostLookupCache> cache);

    std::map<std::string, std::string> responseHeaders;
    int statusCode = 0;
    // The address the last GetHtml asked last: the one given, or where its redirects led. A
    // page's relative links are read against it.
    std::string pageAddress;
    char lastError[kLastErrorSize] = {};
    char* htmlBuffer;  // kHtmlBufferSize bytes, owned

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
