#include "loopback_server.h"

#include <chrono>

namespace sim {

bool LoopbackServer::create(const QString& certFile, const QString& keyFile) {
    stop();
    server_ = std::make_unique<httplib::SSLServer>(certFile.toLocal8Bit().constData(),
                                                   keyFile.toLocal8Bit().constData());
    if (!server_->is_valid()) {
        error_ = QStringLiteral("certificate or key not usable");
        server_.reset();
        return false;
    }
    return true;
}

bool LoopbackServer::listen(const QString& address, int port) {
    if (!server_) {
        error_ = QStringLiteral("no server made");
        return false;
    }
    const std::string host = address.toStdString();
    port_ = port == 0 ? server_->bind_to_any_port(host)
                      : (server_->bind_to_port(host, port) ? port : -1);
    if (port_ <= 0) {
        error_ = QStringLiteral("cannot listen on %1:%2").arg(address, QString::number(port));
        server_.reset();
        port_ = 0;
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        stopped_ = false;
    }
    httplib::SSLServer* s = server_.get();
    thread_ = std::thread([s] { s->listen_after_bind(); });
    for (int i = 0; i < 5000 && !s->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void LoopbackServer::stop() {
    {
        std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    stopping_.notify_all();
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
    port_ = 0;
}

bool LoopbackServer::hold(int ms) {
    if (ms <= 0) return true;
    std::unique_lock lock(mutex_);
    return !stopping_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopped_; });
}

}  // namespace sim
