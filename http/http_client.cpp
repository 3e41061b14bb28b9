#include "http/http_client.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <thread>

#include "http/chunked_decoder.h"
#include "http/connect_to_map.h"
#include "http/request_builder.h"
#include "http/request_canceller.h"
#include "http/request_target.h"
#include "http/response_parser.h"
#include "http/socket_connection.h"
#include "http/trace_output.h"

namespace {

// Browsers give up after about this many redirects; a server that redirects in a loop must not
// keep a worker busy for ever.
constexpr int kMaxRedirects = 20;
constexpr std::size_t kReceiveStep = 1024;
constexpr int kHttpNotFound = 404;
constexpr int kHttpForbidden = 403;
constexpr int kHttpServerError = 500;

enum RequestResult {
    kFailed = -1,
    kNotFound = -2,
    kTimedOut = -3,
    kForbidden = -4,
    kServerError = -5,
    kBadChunk = -6,
};

}  // namespace

struct HttpClient::Impl {
    explicit Impl(HttpClient& client) : client(client) {}

    void SetLastError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Waits before the request; false when cancelled.
    bool PaceRequest();
    ProxySetting ProxyForRequest();
    // One request and response; a redirect target, when the response names one, is left in
    // `redirectTarget` and the result is then of no meaning.
    int FetchOnce(const std::string& url, const std::string& formData, std::string& redirectTarget);
    // Reads the response into htmlBuffer until the server closes; the received count in `length`.
    int ReceiveResponse(SocketConnection& connection, const std::string& url, std::size_t& length);
    // Opens the connection to the site, its connect-to target or the proxy; sets lastError on
    // failure.
    SocketStatus ConnectServer(SocketConnection& connection, const std::string& host, int port);
    int Cancelled(const std::string& url);
    int WakeFd() const { return canceller ? canceller->WakeFd() : -1; }

    HttpClient& client;
    bool proxyFixed = false;
    ProxySetting fixedProxy;
    std::string proxyHost;
    int proxyPort = 0;
    HttpTimings timings;
    std::shared_ptr<RequestCanceller> canceller;
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

int HttpClient::GetHtml(const char* url, const char* formData) {
    std::string current = url != nullptr ? url : "";
    std::string form = formData != nullptr ? formData : "";
    // Redirects are followed one after the other, never by nesting calls.
    for (int redirects = 0;; ++redirects) {
        std::string target;
        const int result = impl->FetchOnce(current, form, target);
        if (target.empty()) return result;
        if (redirects == kMaxRedirects) {
            impl->SetLastError("too many redirects for:%s", current.c_str());
            return kFailed;
        }
        current = std::move(target);
        form.clear();
    }
}

void HttpClient::Impl::SetLastError(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(client.lastError, kLastErrorSize, format, args);
    va_end(args);
}

bool HttpClient::Impl::PaceRequest() {
    if (canceller) return canceller->WaitFor(timings.requestDelay);
    std::this_thread::sleep_for(timings.requestDelay);
    return true;
}

ProxySetting HttpClient::Impl::ProxyForRequest() {
    ProxySetting setting = proxyFixed ? fixedProxy : CurrentProxySetting();
    if (setting.enabled) {
        proxyHost = setting.address;
        proxyPort = LeadingPortNumber(setting.portText);
    }
    return setting;
}

SocketStatus HttpClient::Impl::ConnectServer(SocketConnection& connection, const std::string& host,
                                             int port) {
    if (!connection.Create()) {
        SetLastError("socket creat error.");
        return SocketStatus::kFailed;
    }
    const SocketStatus status = connection.Connect(host, port);
    if (status != SocketStatus::kDone && status != SocketStatus::kCancelled) {
        SetLastError("connect to %s error!\n", host.c_str());
    }
    return status;
}

int HttpClient::Impl::Cancelled(const std::string& url) {
    SetLastError("request cancelled for:%s", url.c_str());
    return kFailed;
}

int HttpClient::Impl::FetchOnce(const std::string& url, const std::string& formData,
                                std::string& redirectTarget) {
    if (!PaceRequest()) return Cancelled(url);
    const std::string sentUrl = RequestUrl(url);
    TraceLine("Get Url:%s", sentUrl.c_str());

    const ProxySetting proxy = ProxyForRequest();
    std::string request;
    UrlParts parts;
    if (!BuildRequest(sentUrl, formData, proxy.enabled, request, parts)) {
        SetLastError("build QueryGetString error for queryGet:%s", url.c_str());
        return kFailed;
    }
    const ConnectTarget target =
        proxy.enabled ? ConnectTarget{proxyHost, proxyPort} : ResolveConnectTo(parts.host, parts.port);

    SocketConnection connection(WakeFd());
    switch (ConnectServer(connection, target.host, target.port)) {
        case SocketStatus::kDone:
            break;
        case SocketStatus::kCancelled:
            return Cancelled(url);
        default:
            return kFailed;
    }
    switch (connection.SendAll(request)) {
        case SocketStatus::kDone:
            break;
        case SocketStatus::kCancelled:
            return Cancelled(url);
        default:
            SetLastError("send QueryGetString error for queryGet:%s", url.c_str());
            return kFailed;
    }
    switch (connection.WaitReadable(timings.firstByteTimeout)) {
        case SocketStatus::kDone:
            break;
        case SocketStatus::kCancelled:
            return Cancelled(url);
        case SocketStatus::kTimedOut:
            SetLastError("get Html Connect TimeOut%s", url.c_str());
            return kTimedOut;
        default:
            SetLastError("select() error for Html.");
            return kFailed;
    }
    std::size_t length = 0;
    if (const int received = ReceiveResponse(connection, url, length); received != 0) return received;
    connection.Close();

    ParsedResponse response;
    if (!ParseResponse(std::string_view(client.htmlBuffer, length), response)) return kFailed;
    client.statusCode = response.statusCode;
    client.responseHeaders = std::move(response.headers);
    switch (response.statusCode) {
        case kHttpNotFound:
            SetLastError("get Html Not Found for:%s", url.c_str());
            return kNotFound;
        case kHttpForbidden:
            SetLastError("get Html Forbidden for:%s", url.c_str());
            return kForbidden;
        case kHttpServerError:
            SetLastError("get Html Error for:%s", url.c_str());
            return kServerError;
        default:
            break;
    }
    if (!response.location.empty()) {
        redirectTarget = std::move(response.location);
        ResolveLink(redirectTarget, sentUrl);
        return 0;
    }

    char* body = client.htmlBuffer + response.bodyStart;
    std::size_t bodyLength = length - response.bodyStart;
    if (response.chunked && DecodeChunked(body, bodyLength, bodyLength) != 0) return kBadChunk;
    std::memmove(client.htmlBuffer, body, bodyLength);
    client.htmlBuffer[bodyLength] = '\0';
    return static_cast<int>(bodyLength);
}

int HttpClient::Impl::ReceiveResponse(SocketConnection& connection, const std::string& url,
                                      std::size_t& length) {
    // One byte of the buffer stays free for the NUL after the data.
    const std::size_t capacity = kHtmlBufferSize - 1;
    length = 0;
    for (;;) {
        char* into = client.htmlBuffer + length;
        const std::size_t room = std::min(kReceiveStep, capacity - length);
        // A full buffer is probed for one more byte: a response cut at the buffer's end would
        // lose the rows of its tail without anyone noticing, so it is refused instead.
        char probe = 0;
        std::size_t received = 0;
        const SocketStatus status =
            connection.Receive(room > 0 ? into : &probe, room > 0 ? room : 1, received);
        if (status == SocketStatus::kCancelled) return Cancelled(url);
        if (status != SocketStatus::kDone) break;
        if (room == 0) {
            SetLastError("response too large for:%s", url.c_str());
            return kFailed;
        }
        length += received;
    }
    client.htmlBuffer[length] = '\0';
    return 0;
}
