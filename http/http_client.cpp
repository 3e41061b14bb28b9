#include "http/http_client.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <thread>

#include "http/body_codings.h"
#include "http/chunked_decoder.h"
#include "http/connect_to_map.h"
#include "http/connection_pool.h"
#include "http/content_decoding.h"
#include "http/control_byte.h"
#include "http/cookie_jar.h"
#include "http/host_lookup_cache.h"
#include "http/page_charset.h"
#include "http/proxy_tunnel.h"
#include "http/request_builder.h"
#include "http/request_canceller.h"
#include "http/response_parser.h"
#include "http/retry_after.h"
#include "http/socket_connection.h"
#include "http/trace_output.h"

namespace {

using Clock = std::chrono::steady_clock;

// Browsers give up after about this many redirects; a server that redirects in a loop must not
// keep a worker busy for ever.
constexpr int kMaxRedirects = 20;
constexpr std::size_t kReceiveStep = 1024;
// A head longer than this is refused, as curl refuses one: the header table stays bounded.
constexpr std::size_t kLongestHead = 100 * 1024;
constexpr int kHttpNotFound = 404;
constexpr int kHttpForbidden = 403;
constexpr int kHttpServerError = 500;
constexpr int kHttpTooManyRequests = 429;
constexpr int kHttpRequestTimeout = 408;
constexpr int kHttpUnavailable = 503;

enum RequestResult {
    kFailed = -1,
    kNotFound = -2,
    kTimedOut = -3,
    kForbidden = -4,
    kServerError = -5,
    kBadChunk = -6,
    // Within an exchange only: the connection ended before any byte of the answer came.
    kUnanswered = -100,
};

// Whether the connection of an exchange that ended so may carry the next request: its response
// was read to the end its framing names, whatever its status.
bool LeavesConnectionUsable(int result) {
    return result >= 0 || result == kNotFound || result == kForbidden || result == kServerError;
}

// The length of the body once all of it is in, as its framing says, whether or not the server
// closes the connection: its Content-Length, or its chunks and trailers. Bytes after it are no
// part of the response. None while more is to come, and for a body that runs until the close.
std::optional<std::size_t> FramedBodyLength(const ParsedResponse& response, ChunkedBodyEnd& chunkedEnd,
                                            std::string_view body) {
    if (response.chunked) {
        if (!chunkedEnd.Reached(body)) return std::nullopt;
        // A body that can never be read is taken as it stands, for the decoder to name its fault.
        return chunkedEnd.Length() != std::string_view::npos ? chunkedEnd.Length() : body.size();
    }
    if (response.contentLength && body.size() >= *response.contentLength) return response.contentLength;
    return std::nullopt;
}

}  // namespace

// Where the connection of a request goes: the address really connected to (the proxy, the
// connect-to target or the site itself), and the place it is kept under in the pool.
struct Route {
    ConnectTarget to;
    std::string place;
};

// How one exchange ended: a result, a redirect to follow, or a wait before asking again.
struct FetchOutcome {
    int result = 0;
    std::string redirectTarget;
    std::optional<std::chrono::seconds> retryAfter;
};

struct HttpClient::Impl {
    explicit Impl(HttpClient& client) : client(client) {}

    void SetLastError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Waits the given time (before a request, before a retry); false when cancelled.
    bool Wait(std::chrono::milliseconds wait);
    ProxySetting ProxyForRequest();
    // One request and response. A 429 or 503 with a Retry-After asks for a wait instead when
    // `mayRetry`.
    FetchOutcome FetchOnce(const std::string& url, const std::string& formData, bool mayRetry);
    Route RouteOf(const Url& target, const ProxySetting& proxy) const;
    // What a response read whole means: its cookies kept, its status, its redirect or its body.
    FetchOutcome ReadOutcome(const std::string& url, const Url& target, ParsedResponse& response,
                             std::size_t length, bool mayRetry,
                             const std::optional<CookieRequest>& cookieRequest);
    // The waits of a retry: Retry-After (capped), then the request gate. False when stopped.
    bool WaitToRetry(std::chrono::seconds retryAfter);
    // Sends the request on the given connection, else on a kept one of its place, else on a new
    // one, and reads the response. `connection` stays set when the response leaves it fit for
    // another request.
    int Exchange(const std::string& url, const Url& target, const ProxySetting& proxy, const Route& route,
                 const std::string& request, std::unique_ptr<SocketConnection>& connection,
                 ParsedResponse& response, std::size_t& length);
    // A new connection in `connection`, open for an exchange that must end by the deadline; on
    // failure its result, and no connection.
    int OpenNew(std::unique_ptr<SocketConnection>& connection, const std::string& url, const Url& target,
                const ProxySetting& proxy, const ConnectTarget& to, Clock::time_point deadline);
    // kUnanswered for a kept connection that refuses the request or ends before any byte of the
    // answer; `reusable` as ReceiveResponse sets it.
    int SendAndReceive(SocketConnection& connection, const std::string& url, const std::string& request,
                       bool reused, ParsedResponse& response, std::size_t& length, bool& reusable);
    // Opens the connection to the site (over TLS for https), its connect-to target or the proxy
    // (through a CONNECT tunnel for https); a negative result with lastError on failure.
    int OpenConnection(SocketConnection& connection, const std::string& url, const Url& target,
                       const ProxySetting& proxy, const ConnectTarget& to);
    // Where the response's Location leads, as an absolute http or https URL; kFailed with
    // lastError when the client does not follow it.
    int RedirectTarget(const std::string& url, const Url& target, const std::string& location,
                       std::string& next);
    // Reads the response into htmlBuffer, past any interim 1xx responses, until the end of its
    // Content-Length or chunks, or until the server closes; the received count in `length`.
    // kUnanswered when the connection ended before any byte. `reusable` tells of a response that
    // ended where its framing says, with nothing after it, on a connection meant to persist.
    int ReceiveResponse(SocketConnection& connection, const std::string& url, ParsedResponse& response,
                        std::size_t& length, bool& reusable);
    // The body as the caller sees it: de-chunked, cut to its Content-Length, its content coding
    // undone and its charset converted, at the start of htmlBuffer.
    int DeliverBody(const std::string& url, const ParsedResponse& response, std::size_t length);
    // 0 for a step that succeeded, the result of a cancel or a timeout, or kFailed with the text
    // that `describeFailure` leaves in lastError.
    int StepResult(SocketStatus status, const std::string& url, const std::function<void()>& describeFailure);
    int Cancelled(const std::string& url);
    int TimedOut(const std::string& url);
    int TooLarge(const std::string& url);
    int WakeFd() const { return canceller ? canceller->WakeFd() : -1; }

    HttpClient& client;
    bool proxyFixed = false;
    ProxySetting fixedProxy;
    std::string proxyHost;
    int proxyPort = 0;
    HttpTimings timings;
    std::shared_ptr<RequestCanceller> canceller;
    std::function<bool()> requestGate;
    std::shared_ptr<CookieJar> cookies;
    std::shared_ptr<ConnectionPool> connections = std::make_shared<ConnectionPool>();
    std::shared_ptr<HostLookupCache> lookups = std::make_shared<HostLookupCache>();
    std::string page;  // the body while it is decoded; its room is kept from page to page
};

HttpClient::HttpClient() : htmlBuffer(new char[kHtmlBufferSize]), impl(std::make_unique<Impl>(*this)) {
    htmlBuffer[0] = '\0';
    impl->ProxyForRequest();
}

HttpClient::HttpClient(const ProxySetting& fixedProxy)
    : htmlBuffer(new char[kHtmlBufferSize]), impl(std::make_unique<Impl>(*this)) {
    htmlBuffer[0] = '\0';
    impl->proxyFixed = true;
    impl->fixedProxy = fixedProxy;
    impl->ProxyForRequest();
}

HttpClient::~HttpClient() {
    delete[] htmlBuffer;
}

void HttpClient::SetTimings(const HttpTimings& timings) {
    impl->timings = timings;
}

void HttpClient::SetCanceller(std::shared_ptr<RequestCanceller> canceller) {
    impl->canceller = std::move(canceller);
}

void HttpClient::SetRequestGate(std::function<bool()> gate) {
    impl->requestGate = std::move(gate);
}

void HttpClient::SetCookieJar(std::shared_ptr<CookieJar> jar) {
    impl->cookies = std::move(jar);
}

void HttpClient::SetConnectionPool(std::shared_ptr<ConnectionPool> pool) {
    impl->connections = pool ? std::move(pool) : std::make_shared<ConnectionPool>();
}

void HttpClient::SetLookupCache(std::shared_ptr<HostLookupCache> cache) {
    impl->lookups = cache ? std::move(cache) : std::make_shared<HostLookupCache>();
}

int HttpClient::GetHtml(const char* url, const char* formData) {
    std::string current = url != nullptr ? url : "";
    std::string form = formData != nullptr ? formData : "";
    bool retried = false;
    // Redirects are followed one after the other, never by nesting calls.
    for (int redirects = 0;;) {
        pageAddress = current;
        FetchOutcome outcome = impl->FetchOnce(current, form, !retried);
        if (outcome.retryAfter) {
            // Each address is asked once more at most; a second refusal is answered as usual.
            retried = true;
            if (!impl->WaitToRetry(*outcome.retryAfter)) return impl->Cancelled(current);
            continue;
        }
        if (outcome.redirectTarget.empty()) return outcome.result;
        if (redirects++ == kMaxRedirects) {
            impl->SetLastError("too many redirects for:%s", current.c_str());
            return kFailed;
        }
        current = std::move(outcome.redirectTarget);
        form.clear();
        retried = false;
    }
}

void HttpClient::Impl::SetLastError(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(client.lastError, kLastErrorSize, format, args);
    va_end(args);
}

bool HttpClient::Impl::Wait(std::chrono::milliseconds wait) {
    if (canceller) return canceller->WaitFor(wait);
    std::this_thread::sleep_for(wait);
    return true;
}

bool HttpClient::Impl::WaitToRetry(std::chrono::seconds retryAfter) {
    return Wait(std::min<std::chrono::milliseconds>(retryAfter, timings.longestRetryWait)) &&
           (!requestGate || requestGate());
}

ProxySetting HttpClient::Impl::ProxyForRequest() {
    ProxySetting setting = proxyFixed ? fixedProxy : CurrentProxySetting();
    if (setting.enabled) {
        proxyHost = setting.address;
        proxyPort = LeadingPortNumber(setting.portText);
    }
    return setting;
}

int HttpClient::Impl::Cancelled(const std::string& url) {
    SetLastError("request cancelled for:%s", url.c_str());
    return kFailed;
}

int HttpClient::Impl::TimedOut(const std::string& url) {
    SetLastError("get Html Connect TimeOut%s", url.c_str());
    return kTimedOut;
}

int HttpClient::Impl::TooLarge(const std::string& url) {
    SetLastError("response too large for:%s", url.c_str());
    return kFailed;
}

int HttpClient::Impl::StepResult(SocketStatus status, const std::string& url,
                                 const std::function<void()>& describeFailure) {
    switch (status) {
        case SocketStatus::kDone:
            return 0;
        case SocketStatus::kCancelled:
            return Cancelled(url);
        case SocketStatus::kTimedOut:
            return TimedOut(url);
        default:
            describeFailure();
            return kFailed;
    }
}

int HttpClient::Impl::OpenConnection(SocketConnection& connection, const std::string& url, const Url& target,
                                     const ProxySetting& proxy, const ConnectTarget& to) {
    const std::string host(target.Host());
    const SocketStatus connected = connection.Connect(to.host, to.port, *lookups);
    int result = StepResult(connected, url, [&] {
        if (connected == SocketStatus::kNoSocket) {
            SetLastError("socket creat error.");
        } else {
            SetLastError("connect to %s error!\n", to.host.c_str());
        }
    });
    if (result != 0 || !target.Secure()) return result;
    if (proxy.enabled) {
        int proxyStatus = 0;
        result = StepResult(
            OpenProxyTunnel(connection, host, target.Port(), timings.nextByteTimeout, proxyStatus), url,
            [&] { SetLastError("proxy refused the tunnel (status %d) for:%s", proxyStatus, url.c_str()); });
        if (result != 0) return result;
    }
    std::string problem;
    const SocketStatus secured = connection.StartTls(host, target.Port(), timings.nextByteTimeout, problem);
    return StepResult(secured, url, [&] { SetLastError("%s for:%s", problem.c_str(), url.c_str()); });
}

int HttpClient::Impl::RedirectTarget(const std::string& url, const Url& target, const std::string& location,
                                     std::string& next) {
    if (HoldsControlByte(location)) {
        SetLastError("redirect to an address holding a control byte for:%s", url.c_str());
        return kFailed;
    }
    const std::optional<Url> resolved = target.Resolve(location);
    if (!resolved) {
        SetLastError("redirect to an address that is not a URL for:%s", url.c_str());
        return kFailed;
    }
    // A mailto:, javascript: or ftp: address is for a person or another program, not for us.
    if (!resolved->IsHttp()) {
        SetLastError("redirect to a non-HTTP address for:%s", url.c_str());
        return kFailed;
    }
    next = resolved->Href();
    return 0;
}

FetchOutcome HttpClient::Impl::FetchOnce(const std::string& url, const std::string& formData, bool mayRetry) {
    FetchOutcome outcome;
    const Clock::time_point turn = Clock::now() + timings.requestDelay;
    if (canceller && canceller->IsCancelled()) {
        outcome.result = Cancelled(url);
        return outcome;
    }
    const ProxySetting proxy = ProxyForRequest();
    const std::optional<Url> destination = ParseRequestUrl(url);
    Route route;
    std::unique_ptr<SocketConnection> connection;
    int opened = 0;
    // A new connection is made while the request waits for its turn, so that its handshakes cost
    // the search no time; the request itself goes no earlier than the wait ends.
    if (destination) {
        route = RouteOf(*destination, proxy);
        if (!connections->Holds(route.place))
            opened = OpenNew(connection, url, *destination, proxy, route.to, turn + timings.responseTimeout);
    }
    if (!Wait(std::max(std::chrono::duration_cast<std::chrono::milliseconds>(turn - Clock::now()),
                       std::chrono::milliseconds(0)))) {
        outcome.result = Cancelled(url);
        return outcome;
    }
    // The cookies as they stand once the wait is over: another thread's response may have set some.
    const std::optional<CookieRequest> cookieRequest =
        cookies ? CookieRequestFor(url) : std::optional<CookieRequest>();
    const std::string cookieHeader = cookieRequest ? cookies->CookieHeader(*cookieRequest) : std::string();
    std::string request;
    std::optional<Url> target;
    const bool built = BuildRequest(url, formData, proxy.enabled, request, target, cookieHeader);
    // The address as it is sent: fragment dropped, path normalised and escaped.
    TraceLine("Get Url:%s", built ? std::string(target->HrefWithoutFragment()).c_str() : url.c_str());
    if (!built) {
        SetLastError("build QueryGetString error for queryGet:%s", url.c_str());
        outcome.result = kFailed;
        return outcome;
    }
    if ((outcome.result = opened) != 0) return outcome;

    ParsedResponse response;
    std::size_t length = 0;
    outcome.result = Exchange(url, *target, proxy, route, request, connection, response, length);
    if (outcome.result != 0) return outcome;
    outcome = ReadOutcome(url, *target, response, length, mayRetry, cookieRequest);
    // A response the client could not take as it came leaves the connection in doubt.
    if (connection && LeavesConnectionUsable(outcome.result))
        connections->Keep(route.place, std::move(connection));
    return outcome;
}

Route HttpClient::Impl::RouteOf(const Url& target, const ProxySetting& proxy) const {
    Route route;
    route.to = proxy.enabled ? ConnectTarget{proxyHost, proxyPort}
                             : ResolveConnectTo(std::string(target.Host()), target.Port());
    route.place = target.Origin() + (proxy.enabled ? " via " : " at ") + route.to.host + ":" +
                  std::to_string(route.to.port);
    return route;
}

int HttpClient::Impl::OpenNew(std::unique_ptr<SocketConnection>& connection, const std::string& url,
                              const Url& target, const ProxySetting& proxy, const ConnectTarget& to,
                              Clock::time_point deadline) {
    connection = std::make_unique<SocketConnection>(WakeFd(), deadline);
    const int result = OpenConnection(*connection, url, target, proxy, to);
    if (result != 0) connection.reset();
    return result;
}

int HttpClient::Impl::Exchange(const std::string& url, const Url& target, const ProxySetting& proxy,
                               const Route& route, const std::string& request,
                               std::unique_ptr<SocketConnection>& connection, ParsedResponse& response,
                               std::size_t& length) {
    const Clock::time_point deadline = Clock::now() + timings.responseTimeout;
    bool reused = false;
    if (!connection) {
        connection = connections->Take(route.place);
        reused = connection != nullptr;
        if (reused) {
            connection->Renew(WakeFd(), deadline);
        } else if (const int opened = OpenNew(connection, url, target, proxy, route.to, deadline);
                   opened != 0) {
            return opened;
        }
    }
    for (;;) {
        bool reusable = false;
        const int result = SendAndReceive(*connection, url, request, reused, response, length, reusable);
        // A kept connection that ends unanswered, or whose server says it waited too long (408),
        // was closed by its server while it was idle, so the server never saw the request: it
        // goes once more on a new connection, without a second wait before it, since the pacing
        // has already waited for this one request.
        if (reused &&
            (result == kUnanswered || (result == 0 && response.statusCode == kHttpRequestTimeout))) {
            reused = false;
            if (const int opened = OpenNew(connection, url, target, proxy, route.to, deadline); opened != 0)
                return opened;
            continue;
        }
        if (result != 0 || !reusable) connection.reset();
        return result == kUnanswered ? kFailed : result;
    }
}

int HttpClient::Impl::SendAndReceive(SocketConnection& connection, const std::string& url,
                                     const std::string& request, bool reused, ParsedResponse& response,
                                     std::size_t& length, bool& reusable) {
    const SocketStatus sent = connection.SendAll(request);
    if (reused && (sent == SocketStatus::kFailed || sent == SocketStatus::kClosed)) return kUnanswered;
    int result = StepResult(sent, url,
                            [&] { SetLastError("send QueryGetString error for queryGet:%s", url.c_str()); });
    if (result != 0) return result;
    result = StepResult(connection.WaitReadable(timings.firstByteTimeout), url,
                        [&] { SetLastError("select() error for Html."); });
    if (result != 0) return result;
    return ReceiveResponse(connection, url, response, length, reusable);
}

FetchOutcome HttpClient::Impl::ReadOutcome(const std::string& url, const Url& target,
                                           ParsedResponse& response, std::size_t length, bool mayRetry,
                                           const std::optional<CookieRequest>& cookieRequest) {
    FetchOutcome outcome;
    // Cookies of any response count, a redirect's or a failure's included.
    if (cookieRequest) {
        for (const std::string& setCookie : response.setCookieLines)
            cookies->Store(setCookie, *cookieRequest);
    }
    client.statusCode = response.statusCode;
    client.responseHeaders = std::move(response.headers);
    switch (response.statusCode) {
        case kHttpNotFound:
            SetLastError("get Html Not Found for:%s", url.c_str());
            outcome.result = kNotFound;
            return outcome;
        case kHttpForbidden:
            SetLastError("get Html Forbidden for:%s", url.c_str());
            outcome.result = kForbidden;
            return outcome;
        case kHttpServerError:
            SetLastError("get Html Error for:%s", url.c_str());
            outcome.result = kServerError;
            return outcome;
        case kHttpTooManyRequests:
        case kHttpUnavailable:
            if (const std::string* retryAfter = FindHeader(client.responseHeaders, "Retry-After");
                mayRetry && retryAfter) {
                outcome.retryAfter = ParseRetryAfter(*retryAfter, std::time(nullptr));
                if (outcome.retryAfter) return outcome;
            }
            break;
        default:
            break;
    }
    if (!response.location.empty()) {
        outcome.result = RedirectTarget(url, target, response.location, outcome.redirectTarget);
        return outcome;
    }
    outcome.result = DeliverBody(url, response, length);
    return outcome;
}

int HttpClient::Impl::ReceiveResponse(SocketConnection& connection, const std::string& url,
                                      ParsedResponse& response, std::size_t& length, bool& reusable) {
    // One byte of the buffer stays free for the NUL after the data.
    const std::size_t capacity = kHtmlBufferSize - 1;
    length = 0;
    std::size_t responseStart = 0;  // past the interim responses read so far
    bool headRead = false;
    ResponseHeadEnd headEnd;  // of the response at responseStart
    ChunkedBodyEnd chunkedEnd;
    for (;;) {
        if (headRead) {
            const std::optional<std::size_t> bodyLength = FramedBodyLength(
                response, chunkedEnd, {client.htmlBuffer + response.bodyStart, length - response.bodyStart});
            if (bodyLength) {
                const std::size_t end = response.bodyStart + *bodyLength;
                // Bytes past the end were never asked for: the connection is no longer in step.
                reusable = response.persistent && length == end;
                length = end;
                break;
            }
        }
        char* into = client.htmlBuffer + length;
        const std::size_t room = std::min(kReceiveStep, capacity - length);
        // A full buffer is probed for one more byte: a response cut at the buffer's end would
        // lose the rows of its tail without anyone noticing, so it is refused instead.
        char probe = 0;
        std::size_t received = 0;
        const SocketStatus status = connection.Receive(room > 0 ? into : &probe, room > 0 ? room : 1,
                                                       received, timings.nextByteTimeout);
        if (status == SocketStatus::kCancelled) return Cancelled(url);
        if (status == SocketStatus::kTimedOut) return TimedOut(url);
        if (status != SocketStatus::kDone) break;
        if (room == 0) return TooLarge(url);
        length += received;

        while (!headRead) {
            const std::string_view rest(client.htmlBuffer + responseStart, length - responseStart);
            const std::size_t bodyStart = headEnd.Find(rest);
            if (bodyStart == std::string_view::npos ? rest.size() > kLongestHead : bodyStart > kLongestHead) {
                SetLastError("response head too large for:%s", url.c_str());
                return kFailed;
            }
            if (bodyStart == std::string_view::npos) break;
            ParseResponse(rest, response);
            response.bodyStart += responseStart;
            if (response.framingFault) {
                SetLastError("%s for:%s", response.framingFault, url.c_str());
                return kFailed;
            }
            if (IsInterimStatus(response.statusCode)) {
                responseStart = response.bodyStart;
                headEnd = ResponseHeadEnd();
                continue;
            }
            headRead = true;
        }
    }
    client.htmlBuffer[length] = '\0';
    if (length == 0) return kUnanswered;
    // A connection closed before a whole head arrived leaves no usable response.
    if (!headRead && responseStart > 0) {
        SetLastError("interim responses without a final response for:%s", url.c_str());
    }
    return headRead ? 0 : kFailed;
}

int HttpClient::Impl::DeliverBody(const std::string& url, const ParsedResponse& response,
                                  std::size_t length) {
    char* body = client.htmlBuffer + response.bodyStart;
    std::size_t bodyLength = length - response.bodyStart;
    if (response.chunked) {
        const int decoded = DecodeChunked(body, bodyLength, bodyLength);
        if (decoded == kChunkSizeOverflow) {
            SetLastError("chunk size overflows for:%s", url.c_str());
            return kFailed;
        }
        if (decoded == kChunkedMalformed) {
            SetLastError("malformed chunked body for:%s", url.c_str());
            return kFailed;
        }
        if (decoded != 0) return kBadChunk;
    } else if (response.contentLength) {
        if (bodyLength < *response.contentLength) {
            SetLastError("body cut short for:%s", url.c_str());
            return kFailed;
        }
        bodyLength = *response.contentLength;
    }

    const std::size_t capacity = kHtmlBufferSize - 1;
    page.assign(body, bodyLength);
    // The transfer codings were applied last, so they are undone first.
    for (const auto* codings : {&response.transferCodings, &response.contentCodings}) {
        std::string failed;
        switch (UndoCodings(*codings, page, capacity, failed)) {
            case ContentDecodeResult::Corrupt:
                SetLastError("corrupt %s body for:%s", failed.c_str(), url.c_str());
                return kFailed;
            case ContentDecodeResult::TooLarge:
                return TooLarge(url);
            default:
                break;  // decoded, or a coding unknown to the client: the body stays as it came
        }
    }
    const std::string* contentType = FindHeader(client.responseHeaders, "Content-Type");
    ConvertPageToGb18030(contentType != nullptr ? *contentType : std::string(), page);
    if (page.size() > capacity) return TooLarge(url);
    std::memcpy(client.htmlBuffer, page.data(), page.size());
    client.htmlBuffer[page.size()] = '\0';
    return static_cast<int>(page.size());
}
