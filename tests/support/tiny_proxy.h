#pragma once

#include <sys/types.h>

#include <string>

#include "support/temp_dir.h"

// A real HTTP proxy (tinyproxy, run in the foreground) on 127.0.0.1 and a free port, allowing
// only loopback clients. Stopped and reaped when the object goes; it also ends when the thread
// that started it ends.
class TinyProxy {
public:
    TinyProxy();
    ~TinyProxy();
    TinyProxy(const TinyProxy&) = delete;
    TinyProxy& operator=(const TinyProxy&) = delete;

    // False when the proxy could not be started or never began to listen; Problem() says why.
    bool Running() const { return running; }
    const std::string& Problem() const { return problem; }
    int Port() const { return port; }
    std::string PortText() const { return std::to_string(port); }
    // The connections that have carried requests to the proxy so far, as its log tells them.
    int ClientConnections() const;

private:
    TempDir dir;
    std::string logFile;
    pid_t pid = -1;
    int port = 0;
    bool running = false;
    std::string problem;
};
