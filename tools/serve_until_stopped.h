#pragma once

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <thread>

// Binds a loopback server to `port` (0 picks a free one), announces "listening on
// 127.0.0.1:PORT" on standard output for the program that started it, and serves until SIGINT or
// SIGTERM. The signals are taken by a waiting thread, not a handler, so that stopping the server
// happens in ordinary code. `Server` has `int Bind(int port)` (the port bound, or -1), `void
// Serve()` and `void Stop()`. Returns the program's exit status.
template <class Server>
int ServeUntilStopped(Server& server, int port) {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const int bound = server.Bind(port);
    if (bound < 0) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("listening on 127.0.0.1:%d\n", bound);
    std::fflush(stdout);

    std::thread signalWaiter([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.Stop();
    });
    server.Serve();
    // Serve also ends without a signal when the listening socket fails: wake the waiter then.
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
    return 0;
}
