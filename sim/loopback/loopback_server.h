#pragma once
// The one way the loopback stand-ins run their HTTPS server: made from a
// certificate and key, bound to a loopback address, served on a thread of its
// own, and stopped so that no stop is lost. A stop wakes every answer held back
// with hold() first, then ends the server's loop and joins its thread; a start
// returns only once the loop runs, since a stop that came before it would be
// missed and leave the thread listening for ever.

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#include <httplib.h>

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace sim {

class LoopbackServer {
  public:
    LoopbackServer() = default;
    ~LoopbackServer() { stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // A new server (an earlier one is stopped first); routes go on server() before
    // listen(). False with error() when the certificate or key is not usable.
    bool create(const QString& certFile, const QString& keyFile);
    httplib::SSLServer& server() { return *server_; }

    // Binds `address` (a loopback address) and `port` (0 takes a free one) and
    // runs the server. False with error() when the port cannot be had.
    bool listen(const QString& address, int port);
    // Idempotent; after it the server is gone and create() may be called again.
    void stop();

    bool running() const { return server_ != nullptr && port_ > 0; }
    int port() const { return port_; }
    QString error() const { return error_; }

    // Holds the calling handler back for `ms`; false when the server is stopping
    // meanwhile (the handler should then answer at once).
    bool hold(int ms);

  private:
    std::unique_ptr<httplib::SSLServer> server_;
    std::thread thread_;
    int port_ = 0;
    QString error_;
    std::mutex mutex_;
    std::condition_variable stopping_;
    bool stopped_ = false;
};

}  // namespace sim
