#include "http/tls_session_cache.h"

#include <openssl/ssl.h>

#include <algorithm>
#include <ctime>

namespace {

int ContextIndex() {
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

int PlaceIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

bool StillResumable(SSL_SESSION* session) {
    return SSL_SESSION_is_resumable(session) == 1 &&
           SSL_SESSION_get_time(session) + SSL_SESSION_get_timeout(session) > std::time(nullptr);
}

}  // namespace

TlsSessionCache::~TlsSessionCache() {
    for (auto& [place, kept] : sessions) {
        for (SSL_SESSION* session : kept) SSL_SESSION_free(session);
    }
}

void TlsSessionCache::Attach(SSL_CTX* context) {
    SSL_CTX_set_ex_data(context, ContextIndex(), this);
    // The client side of OpenSSL's cache hands each new session to the callback and keeps none.
    SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(context, NewSession);
}

void TlsSessionCache::Prepare(SSL* connection, const std::string* place) {
    auto* cache =
        static_cast<TlsSessionCache*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(connection), ContextIndex()));
    if (cache == nullptr) return;
    SSL_set_ex_data(connection, PlaceIndex(), const_cast<std::string*>(place));
    if (SSL_SESSION* earlier = cache->Take(*place)) {
        SSL_set_session(connection, earlier);
        SSL_SESSION_free(earlier);
    }
}

int TlsSessionCache::NewSession(SSL* connection, SSL_SESSION* session) {
    auto* cache =
        static_cast<TlsSessionCache*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(connection), ContextIndex()));
    const auto* place = static_cast<const std::string*>(SSL_get_ex_data(connection, PlaceIndex()));
    if (cache == nullptr || place == nullptr) return 0;
    cache->Store(*place, session);
    return 1;  // the cache keeps the reference OpenSSL handed over
}

void TlsSessionCache::Store(const std::string& place, SSL_SESSION* session) {
    std::lock_guard<std::mutex> lock(mutex);
    std::deque<SSL_SESSION*>& kept = sessions[place];
    kept.push_back(session);
    if (kept.size() > kSessionsPerPlace) {
        SSL_SESSION_free(kept.front());
        kept.pop_front();
    }
    places.remove(place);
    places.push_front(place);
    if (places.size() <= kMostPlaces) return;
    for (SSL_SESSION* dropped : sessions[places.back()]) SSL_SESSION_free(dropped);
    sessions.erase(places.back());
    places.pop_back();
}

SSL_SESSION* TlsSessionCache::Take(const std::string& place) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = sessions.find(place);
    if (found == sessions.end()) return nullptr;
    std::deque<SSL_SESSION*>& kept = found->second;
    while (!kept.empty()) {
        SSL_SESSION* latest = kept.back();
        if (!StillResumable(latest)) {
            SSL_SESSION_free(latest);
            kept.pop_back();
            continue;
        }
        // A TLS 1.3 ticket used twice would let an onlooker link the two connections.
        if (SSL_SESSION_get_protocol_version(latest) == TLS1_3_VERSION) {
            kept.pop_back();
        } else {
            SSL_SESSION_up_ref(latest);
        }
        return latest;
    }
    return nullptr;
}
