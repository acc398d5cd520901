#pragma once
// HTTP exchanges over Qt Network: TLS 1.2 or newer, certificates verified by the
// system's authorities, plain http refused. One server certificate may be trusted
// by its SHA-256 fingerprint (the loopback test servers); every other certificate
// error stands. Each exchange ends at its time-out, whatever the server does.

#include <QByteArray>

#include "common/http_transport.h"

class QtHttpTransport : public HttpTransport {
  public:
    explicit QtHttpTransport(int timeoutMs = kDefaultTimeoutMs) : timeoutMs_(timeoutMs) {}

    void setTimeoutMs(int ms) { timeoutMs_ = ms > 0 ? ms : kDefaultTimeoutMs; }
    int timeoutMs() const { return timeoutMs_; }
    // Hex, colons and spaces allowed; anything but 32 bytes trusts nothing extra.
    void setTrustedCertificateFingerprint(const QString& sha256Hex);

    // Blocks until the answer is complete or the time-out has passed; user input is
    // held back meanwhile, other events (timers, the network itself) run.
    HttpResponse exchange(const HttpRequest& request) override;

  private:
    int timeoutMs_;
    QByteArray trustedFingerprint_;
};
