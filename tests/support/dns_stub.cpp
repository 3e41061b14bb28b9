#include "support/dns_stub.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::uint16_t kTypeA = 1;
constexpr std::uint16_t kTypeAAAA = 28;
constexpr std::uint16_t kAnswerFlags = 0x8180;  // a response, recursion desired and available
constexpr std::uint16_t kNoSuchName = 3;

void Put16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

std::uint16_t Get16(const std::string& in, std::size_t at) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(in[at]) << 8) |
                                      static_cast<unsigned char>(in[at + 1]));
}

}  // namespace

DnsStub::DnsStub(Table table, bool silent, std::uint32_t timeToLive)
    : table(std::move(table)), silent(silent), timeToLive(timeToLive) {
    fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    stopFd = eventfd(0, EFD_CLOEXEC);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || stopFd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("loopback DNS stub could not bind");
    }
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Serve(); });
}

DnsStub::~DnsStub() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(stopFd, &one, sizeof one);
    thread.join();
    close(fd);
    close(stopFd);
}

std::string DnsStub::Address() const {
    return "127.0.0.1:" + std::to_string(port);
}

void DnsStub::Serve() {
    pollfd watched[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    while (poll(watched, 2, -1) > 0 && watched[1].revents == 0) {
        char buffer[512];
        sockaddr_storage from{};
        socklen_t fromLength = sizeof from;
        const ssize_t count =
            recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (count < static_cast<ssize_t>(kHeaderSize)) continue;
        ++questions;
        if (silent) continue;
        const std::string answer = Answer(std::string(buffer, static_cast<std::size_t>(count)));
        if (!answer.empty()) {
            sendto(fd, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
        }
    }
}

std::string DnsStub::Answer(const std::string& query) const {
    // The question: labels up to the empty one, then its type and class.
    std::string name;
    std::size_t at = kHeaderSize;
    while (at < query.size() && query[at] != 0) {
        const auto labelLength = static_cast<unsigned char>(query[at]);
        if (at + 1 + labelLength > query.size()) return "";
        name += (name.empty() ? "" : ".") + query.substr(at + 1, labelLength);
        at += 1 + labelLength;
    }
    if (at + 5 > query.size()) return "";
    const std::uint16_t type = Get16(query, at + 1);
    const std::size_t questionEnd = at + 5;

    std::vector<std::string> records;
    const auto found = table.find(name);
    if (found != table.end()) {
        for (const std::string& text : found->second) {
            unsigned char bytes[16];
            if (type == kTypeA && inet_pton(AF_INET, text.c_str(), bytes) == 1) {
                records.emplace_back(reinterpret_cast<char*>(bytes), 4);
            }
            if (type == kTypeAAAA && inet_pton(AF_INET6, text.c_str(), bytes) == 1) {
                records.emplace_back(reinterpret_cast<char*>(bytes), 16);
            }
        }
    }
    std::string answer = query.substr(0, 2);
    Put16(answer, found == table.end() ? kAnswerFlags | kNoSuchName : kAnswerFlags);
    Put16(answer, 1);
    Put16(answer, static_cast<std::uint16_t>(records.size()));
    Put16(answer, 0);
    Put16(answer, 0);
    answer += query.substr(kHeaderSize, questionEnd - kHeaderSize);
    for (const std::string& record : records) {
        Put16(answer, 0xC000 | kHeaderSize);  // the name, as a pointer to the question's
        Put16(answer, type);
        Put16(answer, 1);  // class IN
        Put16(answer, static_cast<std::uint16_t>(timeToLive >> 16));
        Put16(answer, static_cast<std::uint16_t>(timeToLive & 0xFFFF));
        Put16(answer, static_cast<std::uint16_t>(record.size()));
        answer += record;
    }
    return answer;
}
