#pragma once
// HTTP exchanges over Qt Network: TLS 1.2 or newer, certificates verified by the
// system's authorities, plain http refused. One server certificate may be trusted
// by its SHA-256 fingerprint (the loopback test servers) when a missing authority
// is all that is wrong with it; every other certificate error stands. Each
// exchange ends at its time-out, whatever the server does, and an answer longer
// than kMaxAnswerBytes is cut off and fails.

#include <QByteArray>

#include "common/http_transport.h"

class Clock;

class QtHttpTransport : public HttpTransport {
  public:
    // No answer of the services comes near this; a longer one is not theirs.
    static constexpr qint64 kMaxAnswerBytes = 4 * 1024 * 1024;

    // The time-out is kept on `clock`, which also does the waiting (the system's
    // clock unless given).
    explicit QtHttpTransport(int timeoutMs = kDefaultTimeoutMs);
    QtHttpTransport(Clock& clock, int timeoutMs);

    void setTimeoutMs(int ms) { timeoutMs_ = ms > 0 ? ms : kDefaultTimeoutMs; }
    int timeoutMs() const { return timeoutMs_; }
    // Hex, colons and spaces allowed; anything but 32 bytes trusts nothing extra.
    void setTrustedCertificateFingerprint(const QString& sha256Hex);

    // Blocks until the answer is complete or the time-out has passed, sleeping on
    // the clock between the network's events; pending events run meanwhile (the
    // window is disabled while a query runs).
    HttpResponse exchange(const HttpRequest& request) override;

  private:
    Clock& clock_;
    int timeoutMs_;
    QByteArray trustedFingerprint_;
};
