#pragma once

#include "engine/page_source.h"

class HttpClient;
class PauseGate;

// Pages from the directory site through a client; a page counts as read when GetHtml gives a
// body of one byte or more. With a gate, every request waits there first.
class ClientPageSource : public PageSource {
public:
    explicit ClientPageSource(HttpClient& client, PauseGate* gate = nullptr) : client(client), gate(gate) {}
    bool Fetch(CompanyPage page, const std::string& url, std::string_view& body) override;
    std::string LastPageAddress() const override;

private:
    HttpClient& client;
    PauseGate* gate;
};
